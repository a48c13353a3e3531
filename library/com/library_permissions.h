// Whether a component library may be loaded: code that users other than its
// owner and root may replace runs in every program that creates its classes.
// The check is public (vendral-regsvr refuses what activation would refuse).
#pragma once

#include "vendral/com_client.h"  // UnsafeLibraryReason
