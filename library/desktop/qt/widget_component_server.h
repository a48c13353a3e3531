// The component server of the widget library: the classes it serves
// (CProgressBar and CSplash) and its module.
#pragma once

#include "platform/com/server_module.h"
#include "vendral/class_ids.h"
#include "vendral/com.h"

namespace vendral {

com::ServerModule& WidgetsModule();

// New automation objects with one reference. The objects make the process's
// QApplication on first use when the client has none (see
// platform/qt/widget_application.h).
com::IDispatch* NewProgressBarObject();
com::IDispatch* NewSplashObject();

}  // namespace vendral
