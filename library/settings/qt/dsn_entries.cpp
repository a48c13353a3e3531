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

std::vector<std::string> CollectDataSourceNames(const DataSourceFetch& fetch) {
    std::vector<std::string> names;
    // The loop runs while the driver manager reports plain success; a name
    // that comes with a warning is still taken, and ends the list.
    SQLRETURN status = SQL_SUCCESS;
    while (status == SQL_SUCCESS) {
        std::array<SQLCHAR, kBufferSize> name{};
        name.fill(' ');
        SQLSMALLINT nameLength = 0;
        status = fetch(name.data(), kBufferSize, &nameLength);
        if (!SQL_SUCCEEDED(status)) break;
        std::size_t length = std::clamp<std::size_t>(nameLength, 0, kBufferSize - 1);
        std::string entry(reinterpret_cast<const char*>(name.data()), length);
        if (entry.find_first_not_of(' ') != std::string::npos) names.push_back(entry);
    }
    return names;
}

std::vector<std::string> ListDataSourceNames() {
    Environment environment;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &environment.handle)))
        return {};
    SQLSetEnvAttr(environment.handle, SQL_ATTR_ODBC_VERSION,
                  reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    return CollectDataSourceNames([&](SQLCHAR* name, SQLSMALLINT size, SQLSMALLINT* length) {
        std::array<SQLCHAR, kBufferSize> description{};
        description.fill(' ');
        SQLSMALLINT descriptionLength = 0;
        return SQLDataSources(environment.handle, SQL_FETCH_NEXT, name, size, length,
                              description.data(), kBufferSize, &descriptionLength);
    });
}

}  // namespace vendral::detail::qt
