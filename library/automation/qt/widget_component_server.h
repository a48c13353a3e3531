// The component server of the widget library: the classes it serves
// (CProgressBar and CSplash) and its module.
#pragma once

#include "com/automation_object.h"
#include "com/server_module.h"
#include "vendral/class_ids.h"
#include "vendral/com_automation.h"

namespace vendral {

com::ServerModule& WidgetsModule();

// The type library the widget classes' type information belongs to: the two
// classes and their interfaces, under the library id of the core's.
const com::TypeLibraryInfo& WidgetTypeLibrary();
const com::ClassInfo& ProgressBarClass();
const com::ClassInfo& SplashClass();

// New automation objects with one reference. The objects make the process's
// QApplication on first use when the client has none (see
// base/qt/widget_application.h).
com::IDispatch* NewProgressBarObject();
com::IDispatch* NewSplashObject();

}  // namespace vendral
