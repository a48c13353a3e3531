// Lists the user's drive table, one "F: target" line per drive: the second
// process of the drive tests, which must see what an earlier process mapped.
#include <iostream>

#include "vendral/network_drives.h"

int main() {
    vendral::DriveTable table;
    for (const vendral::DriveMapping& drive : table.Connections())
        std::cout << drive.Drive << " " << drive.Target << "\n";
    return 0;
}
