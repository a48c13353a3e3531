#include "raw_odbc_kick.h"

#include <sql.h>
#include <sqlext.h>

#include <chrono>
#include <ctime>
#include <stdexcept>
#include <vector>

#include "kick.h"
#include "work_clock.h"

namespace vendral::bench {
namespace {

void Check(SQLRETURN rc, SQLSMALLINT type, SQLHANDLE handle, const std::string& what) {
    if (SQL_SUCCEEDED(rc) || rc == SQL_NO_DATA) return;
    SQLCHAR state[6] = {}, text[1024] = {};
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    SQLGetDiagRec(type, handle, 1, state, &native, text, sizeof text, &length);
    throw std::runtime_error(what + ": [" + reinterpret_cast<char*>(state) + "] " +
                             reinterpret_cast<char*>(text));
}

struct Handles {
    bool wide = false;
    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
    SQLHSTMT rows = SQL_NULL_HSTMT;
    SQLHSTMT work = SQL_NULL_HSTMT;
    ~Handles() {
        if (work) SQLFreeHandle(SQL_HANDLE_STMT, work);
        if (rows) SQLFreeHandle(SQL_HANDLE_STMT, rows);
        if (dbc) {
            SQLDisconnect(dbc);
            SQLFreeHandle(SQL_HANDLE_DBC, dbc);
        }
        if (env) SQLFreeHandle(SQL_HANDLE_ENV, env);
    }
};

// The UTF-16 form of a text, as a program that calls the wide entry points
// makes it for every statement.
std::vector<SQLWCHAR> Wide(const std::string& text) {
    std::vector<SQLWCHAR> wide;
    wide.reserve(text.size() + 1);
    for (unsigned char c : text) wide.push_back(c);  // the loops' statements are ASCII
    wide.push_back(0);
    return wide;
}

// wide: through the UTF-16 entry points.
void Exec(SQLHSTMT stmt, const std::string& sql, bool wide = false) {
    SQLRETURN rc = wide ? SQLExecDirectW(stmt, Wide(sql).data(), SQL_NTS)
                        : SQLExecDirect(stmt, (SQLCHAR*)sql.c_str(), SQL_NTS);
    Check(rc, SQL_HANDLE_STMT, stmt, sql);
}

// The first column of the first row as a number; 0 when there is no row or it is null.
std::int64_t FirstNumber(SQLHSTMT stmt, const std::string& sql, bool wide = false) {
    Exec(stmt, sql, wide);
    SQLBIGINT value = 0;
    SQLLEN indicator = 0;
    SQLRETURN rc = SQLFetch(stmt);
    Check(rc, SQL_HANDLE_STMT, stmt, sql);
    if (rc != SQL_NO_DATA) {
        Check(SQLGetData(stmt, 1, SQL_C_SBIGINT, &value, 0, &indicator), SQL_HANDLE_STMT, stmt,
              sql);
        if (indicator == SQL_NULL_DATA) value = 0;
    }
    SQLFreeStmt(stmt, SQL_CLOSE);
    return value;
}

// Seconds since 1970 on the local clock, as the log's ttime is written.
std::int64_t LocalSeconds() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return static_cast<std::int64_t>(now) + local.tm_gmtoff;
}

// The same statements the library sends for UpdateTravelTransactionLog(4608, ..., 9, id, 0).
void LogRow(SQLHDBC dbc, SQLHSTMT stmt, const std::string& p, std::int32_t registered,
            std::int32_t id, bool transactions, bool wide) {
    std::int64_t logId = 0;
    for (;;) {
        if (transactions)
            SQLSetConnectAttr(dbc, SQL_ATTR_AUTOCOMMIT, (SQLPOINTER)SQL_AUTOCOMMIT_OFF, 0);
        Exec(stmt, "UPDATE " + p + "Sequence SET Next_id = Next_id + 1  WHERE id=39", wide);
        SQLFreeStmt(stmt, SQL_CLOSE);
        logId = FirstNumber(stmt, "Select Next_id FROM " + p + "Sequence WHERE ID =39", wide) - 1;
        if (transactions) {
            Check(SQLEndTran(SQL_HANDLE_DBC, dbc, SQL_COMMIT), SQL_HANDLE_DBC, dbc, "commit");
            SQLSetConnectAttr(dbc, SQL_ATTR_AUTOCOMMIT, (SQLPOINTER)SQL_AUTOCOMMIT_ON, 0);
        }
        if (FirstNumber(stmt,
                        "SELECT Next_id FROM " + p +
                            "Sequence where id =39 and next_id = " + std::to_string(logId),
                        wide) == 0)
            break;
    }
    Exec(stmt,
         "INSERT INTO " + p +
             "traveltransactionlog ( traveltransactionlog_id, ttime, prev_record_id, type, "
             "associate_id, tablenumber, record_id ) VALUES (" +
             std::to_string(logId) + ", " + std::to_string(LocalSeconds()) + ", 0, 4608, " +
             std::to_string(registered) + ", 9, " + std::to_string(id) + ")",
         wide);
    SQLFreeStmt(stmt, SQL_CLOSE);
}

// psqlODBC's own connection options, switched while connected.
constexpr SQLINTEGER kPsqlUseDeclareFetch = 65539;
constexpr SQLINTEGER kPsqlFetchRows = 65541;

struct KickRow {
    SQLINTEGER Id = 0;
    SQLINTEGER Owner = 0;
    SQLINTEGER Registered = 0;
};

void Phase(Handles& h, const std::string& prefix, kick::KickPhase phase, std::int32_t associateID,
           std::int32_t kickTime, std::int32_t& logged, RawKickResult& result,
           const RawCalls& calls, bool cursor) {
    if (cursor) {
        SQLSetConnectAttr(h.dbc, kPsqlFetchRows,
                          reinterpret_cast<SQLPOINTER>(static_cast<SQLLEN>(calls.CursorRows)), 0);
        SQLSetConnectAttr(h.dbc, kPsqlUseDeclareFetch, reinterpret_cast<SQLPOINTER>(1), 0);
    }
    Exec(h.rows, kick::BuildKickStatement(prefix, phase, associateID, kickTime), h.wide);
    if (cursor) SQLSetConnectAttr(h.dbc, kPsqlUseDeclareFetch, reinterpret_cast<SQLPOINTER>(0), 0);
    KickRow row;
    SQLLEN idInd = 0, ownerInd = 0, registeredInd = 0;
    SQLBindCol(h.rows, 1, SQL_C_SLONG, &row.Id, 0, &idInd);
    SQLBindCol(h.rows, 2, SQL_C_SLONG, &row.Owner, 0, &ownerInd);
    SQLBindCol(h.rows, 3, SQL_C_SLONG, &row.Registered, 0, &registeredInd);
    auto fetch = [&]() {
        SQLRETURN rc = SQLFetch(h.rows);
        Check(rc, SQL_HANDLE_STMT, h.rows, "fetch");
        if (rc == SQL_NO_DATA) return false;
        if (ownerInd == SQL_NULL_DATA) row.Owner = 0;
        if (registeredInd == SQL_NULL_DATA) row.Registered = 0;
        return true;
    };
    auto logIfSynchronized = [&](const KickRow& r) {
        if (FirstNumber(h.work,
                        "SELECT associate_id FROM " + prefix +
                            "Syncusers where associate_id =" + std::to_string(r.Owner),
                        h.wide) > 0) {
            LogRow(h.dbc, h.work, prefix, r.Registered, r.Id, calls.Transactions, h.wide);
            ++logged;
        }
        ++result.RowsLookedAt;
    };
    if (cursor) {
        // The cursor lives in a transaction that the first commit would end:
        // its rows are read to the end before anything is written.
        std::vector<KickRow> rows;
        while (fetch()) rows.push_back(row);
        SQLFreeStmt(h.rows, SQL_CLOSE);
        for (const KickRow& r : rows) logIfSynchronized(r);
    } else {
        while (fetch()) logIfSynchronized(row);
        SQLFreeStmt(h.rows, SQL_CLOSE);
    }
    SQLFreeStmt(h.rows, SQL_UNBIND);
}

void Connect(Handles& h, const std::string& dsn, const std::string& uid, const std::string& pwd,
             bool wide = false) {
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &h.env);
    SQLSetEnvAttr(h.env, SQL_ATTR_ODBC_VERSION, (SQLPOINTER)SQL_OV_ODBC3, 0);
    SQLAllocHandle(SQL_HANDLE_DBC, h.env, &h.dbc);
    std::string connect = "DSN=" + dsn + ";UID=" + uid + ";PWD=" + pwd;
    h.wide = wide;
    SQLRETURN rc = wide ? SQLDriverConnectW(h.dbc, nullptr, Wide(connect).data(), SQL_NTS, nullptr,
                                            0, nullptr, SQL_DRIVER_NOPROMPT)
                        : SQLDriverConnect(h.dbc, nullptr, (SQLCHAR*)connect.c_str(), SQL_NTS,
                                           nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT);
    Check(rc, SQL_HANDLE_DBC, h.dbc, "connect to " + dsn);
    SQLAllocHandle(SQL_HANDLE_STMT, h.dbc, &h.rows);
    SQLAllocHandle(SQL_HANDLE_STMT, h.dbc, &h.work);
}

std::string DbmsName(SQLHDBC dbc) {
    SQLCHAR name[64] = {};
    SQLSMALLINT length = 0;
    SQLGetInfo(dbc, SQL_DBMS_NAME, name, sizeof name, &length);
    return reinterpret_cast<char*>(name);
}

bool IsPostgreSQL(SQLHDBC dbc) {
    return DbmsName(dbc) == "PostgreSQL";
}

}  // namespace

void CheckpointSqlite(const std::string& dsn, const std::string& uid, const std::string& pwd) {
    Handles h;
    Connect(h, dsn, uid, pwd);
    if (DbmsName(h.dbc).find("SQLite") == std::string::npos) return;
    Exec(h.work, "PRAGMA wal_checkpoint(TRUNCATE)");
    SQLFreeStmt(h.work, SQL_CLOSE);
}

RawKickResult RunRawKick(const std::string& dsn, const std::string& uid, const std::string& pwd,
                         const std::string& prefix, std::int32_t associateID, std::int32_t kickTime,
                         const RawCalls& calls) {
    Handles h;
    Connect(h, dsn, uid, pwd, calls.Wide);
    const bool cursor = calls.CursorRows > 0 && IsPostgreSQL(h.dbc);
    RawKickResult result;
    WorkClock clock;
    Phase(h, prefix, kick::KickPhase::Appointments, associateID, kickTime, result.Appointments,
          result, calls, cursor);
    Phase(h, prefix, kick::KickPhase::Tasks, associateID, kickTime, result.Tasks, result, calls,
          cursor);
    result.Seconds = clock.Stop();
    return result;
}

std::int64_t RunSingleStatementKick(const std::string& dsn, const std::string& uid,
                                    const std::string& pwd, const std::string& p,
                                    std::int32_t kickTime, double* seconds) {
    Handles h;
    Connect(h, dsn, uid, pwd);
    WorkClock clock;
    const std::string rows =
        " from " + p + "appointment appointment, " + p +
        "syncsoapp syncsoapp where appointment.appointment_id = syncsoapp.appointment_id and "
        "appointment.do_by >= " +
        std::to_string(kickTime) +
        " and appointment.type in (1,6,2,7) and appointment.associate_id > 0 and "
        "appointment.associate_id in (select syncusers.associate_id from " +
        p + "Syncusers syncusers)";
    // The job joins the CRM's tables once: the sequence row is locked first,
    // the rows are numbered from its value and it moves past as many as were
    // written, all in one transaction.
    SQLSetConnectAttr(h.dbc, SQL_ATTR_AUTOCOMMIT, (SQLPOINTER)SQL_AUTOCOMMIT_OFF, 0);
    Exec(h.work, "UPDATE " + p + "Sequence SET Next_id = Next_id WHERE id=39");
    SQLFreeStmt(h.work, SQL_CLOSE);
    std::int64_t first = FirstNumber(h.work, "Select Next_id FROM " + p + "Sequence WHERE ID =39");
    // Appointments before tasks, each in id order, as the kick logs them.
    Exec(h.work, "INSERT INTO " + p +
                     "traveltransactionlog ( traveltransactionlog_id, ttime, prev_record_id, "
                     "type, associate_id, tablenumber, record_id ) select " +
                     std::to_string(first - 1) +
                     " + row_number() over (order by case when appointment.type in (1,6) then 0 "
                     "else 1 end, appointment.appointment_id), " +
                     std::to_string(LocalSeconds()) +
                     ", 0, 4608, coalesce(appointment.registered_associate_id, 0), 9, "
                     "appointment.appointment_id" +
                     rows);
    SQLLEN count = 0;
    Check(SQLRowCount(h.work, &count), SQL_HANDLE_STMT, h.work, "row count");
    SQLFreeStmt(h.work, SQL_CLOSE);
    Exec(h.work, "UPDATE " + p + "Sequence SET Next_id = Next_id + " + std::to_string(count) +
                     " WHERE id=39");
    SQLFreeStmt(h.work, SQL_CLOSE);
    Check(SQLEndTran(SQL_HANDLE_DBC, h.dbc, SQL_COMMIT), SQL_HANDLE_DBC, h.dbc, "commit");
    double elapsed = clock.Stop();
    if (seconds) *seconds = elapsed;
    return count;
}

std::int64_t RunRawHelperLoop(const std::string& dsn, const std::string& uid,
                              const std::string& pwd, const std::vector<std::string>& statements,
                              double* seconds) {
    Handles h;
    Connect(h, dsn, uid, pwd);
    WorkClock clock;
    std::int64_t sum = 0;
    for (const std::string& sql : statements) sum += FirstNumber(h.work, sql);
    double elapsed = clock.Stop();
    if (seconds) *seconds = elapsed;
    return sum;
}

}  // namespace vendral::bench
