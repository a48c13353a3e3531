#include "odbc/odbc.h"

#include <algorithm>
#include <iterator>
#include <type_traits>

#include "odbc/library_errors.h"
#include "base/text.h"

namespace vendral::odbc {

Handle::Handle(SQLSMALLINT type, SQLHANDLE parent) : type_(type) {
    SQLRETURN rc = SQLAllocHandle(type, parent, &handle_);
    if (!Succeeded(rc)) {
        std::vector<ErrorRecord> records =
            parent == SQL_NULL_HANDLE
                ? std::vector<ErrorRecord>{}
                : Diagnostics(type == SQL_HANDLE_DBC ? SQL_HANDLE_ENV : SQL_HANDLE_DBC, parent, rc);
        handle_ = SQL_NULL_HANDLE;
        if (records.empty())
            records.push_back(detail::Record(detail::kNoHandle, detail::kNoHandleText));
        throw DatabaseError(std::move(records));
    }
}

namespace {

// The two widths of the text calls as one interface: Unit is the character
// of the width's strings, and the calls take and give text in it.
template <class Char>
struct TextCalls;

template <>
struct TextCalls<SQLWCHAR> {
    using Unit = char16_t;
    using Text = std::u16string;
    static constexpr SQLSMALLINT kCType = SQL_C_WCHAR;
    static SQLWCHAR* Sql(Unit* text) { return reinterpret_cast<SQLWCHAR*>(text); }
    static Text Encode(const std::string& text) { return ToUtf16(text); }
    static std::string Decode(const Unit* text, std::size_t length) {
        return FromUtf16(std::u16string_view(text, length));
    }
    static SQLRETURN ExecDirect(SQLHSTMT s, Unit* text, SQLINTEGER length) {
        return SQLExecDirectW(s, Sql(text), length);
    }
    static SQLRETURN DriverConnect(SQLHDBC c, Unit* in, SQLSMALLINT inLength, Unit* out,
                                   SQLSMALLINT outSize, SQLSMALLINT* outLength) {
        return SQLDriverConnectW(c, nullptr, Sql(in), inLength, Sql(out), outSize, outLength,
                                 SQL_DRIVER_NOPROMPT);
    }
    static SQLRETURN DescribeCol(SQLHSTMT s, SQLUSMALLINT column, Unit* name, SQLSMALLINT size,
                                 SQLSMALLINT* length, SQLSMALLINT* type, SQLULEN* columnSize,
                                 SQLSMALLINT* decimals, SQLSMALLINT* nullable) {
        return SQLDescribeColW(s, column, Sql(name), size, length, type, columnSize, decimals,
                               nullable);
    }
    static SQLRETURN GetDiagRec(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT index, Unit* state,
                                SQLINTEGER* native, Unit* message, SQLSMALLINT size,
                                SQLSMALLINT* length) {
        return SQLGetDiagRecW(type, handle, index, Sql(state), native, Sql(message), size, length);
    }
};

template <>
struct TextCalls<SQLCHAR> {
    using Unit = char;
    using Text = std::string;
    static constexpr SQLSMALLINT kCType = SQL_C_CHAR;
    static SQLCHAR* Sql(Unit* text) { return reinterpret_cast<SQLCHAR*>(text); }
    static Text Encode(const std::string& text) { return text; }
    static std::string Decode(const Unit* text, std::size_t length) { return {text, length}; }
    static SQLRETURN ExecDirect(SQLHSTMT s, Unit* text, SQLINTEGER length) {
        return SQLExecDirect(s, Sql(text), length);
    }
    static SQLRETURN DriverConnect(SQLHDBC c, Unit* in, SQLSMALLINT inLength, Unit* out,
                                   SQLSMALLINT outSize, SQLSMALLINT* outLength) {
        return SQLDriverConnect(c, nullptr, Sql(in), inLength, Sql(out), outSize, outLength,
                                SQL_DRIVER_NOPROMPT);
    }
    static SQLRETURN DescribeCol(SQLHSTMT s, SQLUSMALLINT column, Unit* name, SQLSMALLINT size,
                                 SQLSMALLINT* length, SQLSMALLINT* type, SQLULEN* columnSize,
                                 SQLSMALLINT* decimals, SQLSMALLINT* nullable) {
        return SQLDescribeCol(s, column, Sql(name), size, length, type, columnSize, decimals,
                              nullable);
    }
    static SQLRETURN GetDiagRec(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT index, Unit* state,
                                SQLINTEGER* native, Unit* message, SQLSMALLINT size,
                                SQLSMALLINT* length) {
        return SQLGetDiagRec(type, handle, index, Sql(state), native, Sql(message), size, length);
    }
};

// Calls body with the text calls of the width asked for.
template <class Body>
decltype(auto) InWidth(bool wide, Body&& body) {
    if (wide) return body(TextCalls<SQLWCHAR>{});
    return body(TextCalls<SQLCHAR>{});
}

// Buffer sizes in characters of the width: the wide one, and twice as many
// narrow ones (a narrow character of UTF-8 holds less).
template <class Calls>
constexpr std::size_t Characters(std::size_t wide) {
    return std::is_same_v<Calls, TextCalls<SQLWCHAR>> ? wide : 2 * wide;
}

// The part of a buffer of capacity characters that a reported length covers.
std::size_t Used(SQLSMALLINT length, std::size_t capacity) {
    return std::min<std::size_t>(std::max<SQLSMALLINT>(length, 0), capacity - 1);
}

}  // namespace

std::vector<ErrorRecord> Diagnostics(SQLSMALLINT type, SQLHANDLE handle, SQLRETURN rc, bool wide) {
    std::vector<ErrorRecord> records;
    InWidth(wide, [&](auto calls) {
        using Calls = decltype(calls);
        using Char = typename Calls::Unit;
        for (SQLSMALLINT index = 1; handle != SQL_NULL_HANDLE; ++index) {
            Char state[6] = {};
            typename Calls::Text message(Characters<Calls>(2048), Char{});
            SQLINTEGER native = 0;
            SQLSMALLINT length = 0;
            SQLRETURN diag = Calls::GetDiagRec(type, handle, index, state, &native, message.data(),
                                               static_cast<SQLSMALLINT>(message.size()), &length);
            if (!Succeeded(diag)) break;
            ErrorRecord record;
            record.SQLState = Calls::Decode(state, 5);
            record.Description = Calls::Decode(message.data(), Used(length, message.size()));
            record.NativeError = native;
            records.push_back(std::move(record));
        }
    });
    if (records.empty()) {
        records.push_back(detail::Record(
            detail::kSilentFailure, rc == SQL_INVALID_HANDLE ? detail::kInvalidHandleText
                                                             : detail::kFailedWithoutMessageText));
    }
    return records;
}

SQLRETURN ExecDirect(SQLHSTMT statement, const std::string& sql, bool wide) {
    // The narrow call takes the text as it is: the driver only reads it.
    if (!wide)
        return TextCalls<SQLCHAR>::ExecDirect(statement, const_cast<char*>(sql.data()),
                                              static_cast<SQLINTEGER>(sql.size()));
    auto text = TextCalls<SQLWCHAR>::Encode(sql);
    return TextCalls<SQLWCHAR>::ExecDirect(statement, text.data(),
                                           static_cast<SQLINTEGER>(text.size()));
}

SQLRETURN DriverConnect(SQLHDBC connection, const std::string& in, std::string& completed,
                        bool wide) {
    return InWidth(wide, [&](auto calls) {
        using Calls = decltype(calls);
        auto text = calls.Encode(in);
        typename Calls::Text out(Characters<Calls>(4096), typename Calls::Unit{});
        SQLSMALLINT outLength = 0;
        SQLRETURN rc =
            calls.DriverConnect(connection, text.data(), static_cast<SQLSMALLINT>(text.size()),
                                out.data(), static_cast<SQLSMALLINT>(out.size()), &outLength);
        completed = calls.Decode(out.data(), std::clamp<std::size_t>(outLength, 0, out.size() - 1));
        return rc;
    });
}

SQLRETURN ColumnName(SQLHSTMT statement, SQLUSMALLINT column, std::string& name, bool wide) {
    return InWidth(wide, [&](auto calls) {
        using Calls = decltype(calls);
        // On the stack: no allocation but the name's own.
        typename Calls::Unit buffer[Characters<Calls>(512)];
        buffer[0] = 0;
        constexpr std::size_t kCapacity = std::size(buffer);
        SQLSMALLINT length = 0, type = 0, decimals = 0, nullable = 0;
        SQLULEN size = 0;
        SQLRETURN rc =
            calls.DescribeCol(statement, column, buffer, static_cast<SQLSMALLINT>(kCapacity),
                              &length, &type, &size, &decimals, &nullable);
        if (!Succeeded(rc)) length = 0;
        name = calls.Decode(buffer, std::clamp<std::size_t>(length, 0, kCapacity - 1));
        return rc;
    });
}

SQLRETURN ColumnType(SQLHSTMT statement, SQLUSMALLINT column, SQLSMALLINT& type, bool wide) {
    // The verbose type, not the concise one: the SQLite driver answers the
    // concise type of a BIGINT with a C type (and of a long text with
    // SQL_CHAR). The two differ only for dates and intervals, which are read
    // as text all the same.
    SQLLEN value = SQL_UNKNOWN_TYPE;
    SQLRETURN rc =
        wide ? SQLColAttributeW(statement, column, SQL_DESC_TYPE, nullptr, 0, nullptr, &value)
             : SQLColAttribute(statement, column, SQL_DESC_TYPE, nullptr, 0, nullptr, &value);
    type = static_cast<SQLSMALLINT>(value);
    return rc;
}

std::string ReadText(SQLHSTMT statement, SQLUSMALLINT column, SQLRETURN& rc, bool& isNull,
                     bool wide) {
    return InWidth(wide, [&](auto calls) {
        using Calls = decltype(calls);
        using Char = typename Calls::Unit;
        typename Calls::Text text;
        // Wide texts come in pieces of 2048 characters, narrow ones of 8192 bytes.
        Char buffer[std::is_same_v<Char, char16_t> ? 2048 : 8192];
        SQLLEN indicator = 0;
        while (true) {
            rc = SQLGetData(statement, column, Calls::kCType, buffer, sizeof buffer, &indicator);
            if (rc == SQL_NO_DATA || !Succeeded(rc)) break;
            if (indicator == SQL_NULL_DATA) {
                isNull = true;
                break;
            }
            const std::size_t capacity = std::size(buffer) - 1;
            std::size_t got = (indicator == SQL_NO_TOTAL ||
                               static_cast<std::size_t>(indicator) / sizeof(Char) > capacity)
                                  ? capacity
                                  : static_cast<std::size_t>(indicator) / sizeof(Char);
            // The MariaDB connector (3.1) reports too short a length for some
            // wide texts beyond ASCII ("ÆØÅÆØÅÆØÅ" as 6 units) while the buffer
            // holds the whole text and its terminator: a text that fits runs
            // to its terminator. For a driver that reports right, the
            // terminator stands at the length it gave, embedded NULs or not.
            if (rc == SQL_SUCCESS)
                while (got < capacity && buffer[got] != Char{0}) ++got;
            text.append(buffer, got);
            if (rc == SQL_SUCCESS) break;
        }
        return Calls::Decode(text.data(), text.size());
    });
}

}  // namespace vendral::odbc
