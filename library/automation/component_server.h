// The component server of libvendral.so: the classes it serves and the
// dispatch objects its CDatabase hands out.
#pragma once

#include <memory>

#include "com/server_module.h"
#include "vendral/class_ids.h"
#include "vendral/com_automation.h"
#include "vendral/connection.h"

namespace vendral {

com::ServerModule& VendralModule();

// A new CDatabase automation object with one reference.
com::IDispatch* NewDatabaseObject();
#if defined(_WIN32)
// New CProgressBar and CSplash automation objects with one reference (the
// Windows build's own; on Linux the widget library serves the classes).
com::IDispatch* NewProgressBarObject();
com::IDispatch* NewSplashObject();
#endif

// The dispatch object of a connection (ConnectionString, State, Open,
// Execute, Close, ...); Execute gives a recordset (EOF, Fields(i).Value,
// MoveNext, Close).
com::IDispatch* NewConnectionObject(std::shared_ptr<Connection> connection);
// The connection behind one of those objects; nullptr for any other object.
std::shared_ptr<Connection>* ConnectionOfObject(com::IDispatch* object);

}  // namespace vendral
