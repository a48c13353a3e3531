// A file of the base room that uses only the base room: its room check links.
#include "vendral/variant.h"

int ProbeDownward() {
    return vendral::Variant(41).ToLong() + 1;
}
