#include "settings/qt/dsn_entries.h"

#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <array>

namespace vendral::detail::qt {
namespace {

constexpr SQLSMALLINT kBufferSize = 1024;

struct Environment {
    SQLHENV handle = SQL_NULL_HENV;
    ~Environment() {
        if (handle != SQL_NULL_HENV) SQLFreeHandle(SQL_HANDLE_ENV, handle);
    }
};

}  // namespace

std::vector<std::string> ListDataSourceNames() {
    std::vector<std::string> names;
    Environment environment;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &environment.handle)))
        return names;
    SQLSetEnvAttr(environment.handle, SQL_ATTR_ODBC_VERSION,
                  reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLRETURN status = SQL_SUCCESS;
    while (status == SQL_SUCCESS) {
        std::array<SQLCHAR, kBufferSize> name{};
        std::array<SQLCHAR, kBufferSize> description{};
        name.fill(' ');
        description.fill(' ');
        SQLSMALLINT nameLength = 0;
        SQLSMALLINT descriptionLength = 0;
        status = SQLDataSources(environment.handle, SQL_FETCH_NEXT, name.data(), kBufferSize,
                                &nameLength, description.data(), kBufferSize, &descriptionLength);
        if (status != SQL_SUCCESS) break;
        std::size_t length = std::clamp<std::size_t>(nameLength, 0, kBufferSize - 1);
        std::string entry(reinterpret_cast<const char*>(name.data()), length);
        if (entry.find_first_not_of(' ') != std::string::npos) names.push_back(entry);
    }
    return names;
}

}  // namespace vendral::detail::qt
