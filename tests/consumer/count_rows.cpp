// A client of the installed library: opens an ODBC data source and prints how
// many rows a table has.
#include <vendral/cdatabase.h>

#include <exception>
#include <iostream>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: count_rows DSN TABLE\n";
        return 2;
    }
    try {
        vendral::CDatabase database;
        database.OpenODBC_ByConnection(argv[1], "main.", "", vendral::Variant(""), "");
        std::cout << database.CountRecords(argv[2]).ToString() << "\n";
    } catch (const std::exception& error) {
        std::cerr << "count_rows: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
