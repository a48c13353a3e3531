// A client program that changes CRM data through ExecSQL in a loop, as many
// workstations do at once:
//   exec_sql_writer SETTINGS_FILE ROWS TAG
// inserts ROWS contacts named "TAG n", each numbered from the Sequence table
// ("#") and logged in the travel transaction log, on the central connection,
// and prints "written ROWS". Exit status 2 when the database does not open,
// 1 when a write fails (the error on standard error).
#include <cstdio>
#include <exception>
#include <string>

#include "vendral/cdatabase.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: exec_sql_writer SETTINGS_FILE ROWS TAG\n");
        return 2;
    }
    const std::string settings = argv[1];
    const int rows = std::stoi(argv[2]);
    const std::string tag = argv[3];
    vendral::CDatabase db;
    db.OpenODBC_DB(settings, vendral::OpenCentral, false);
    if (!db.dDatabaseIsRunning()) {
        std::fprintf(stderr, "not opened: %s\n", db.LastReturnedErrorMessage().c_str());
        return 2;
    }
    const std::string prefix = db.CentralDatabasePrefix();
    int written = 0;
    try {
        for (; written < rows; ++written)
            db.ExecSQL("INSERT INTO " + prefix + "contact (contact_id, name) VALUES (#, '" + tag +
                       " " + std::to_string(written) + "')");
    } catch (const std::exception& error) {
        std::fprintf(stderr, "after %d rows: %s\n", written, error.what());
        return 1;
    }
    std::printf("written %d\n", written);
    return 0;
}
