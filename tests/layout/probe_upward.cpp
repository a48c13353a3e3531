// A file of the base room that uses the data room above it: its room check
// must fail to link.
#include "vendral/cdatabase.h"

int ProbeUpward() {
    vendral::CDatabase database;
    return database.AssociateID();
}
