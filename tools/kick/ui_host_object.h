// The program's UI host as a dispatch object, handed to a library that serves
// the program's objects from another build than the one the program links
// (each build has its own host), so that the served objects' message boxes and
// settings dialog reach the program's user interface.
#pragma once

#include <memory>

#include "vendral/com_automation.h"
// On Windows the component headers bring in the system's A/W switch, which
// would rename the UI host's member of that name in the files that include
// this one only.
#undef MessageBox

#include "vendral/ui_host.h"

namespace vendral::kick {

using namespace vendral::com;

// A new object with one reference, calling host.
IDispatch* NewUiHostObject(const std::shared_ptr<UiHost>& host);

}  // namespace vendral::kick
