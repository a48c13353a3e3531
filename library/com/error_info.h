// The per-thread error object that a failed call leaves for its caller.
#pragma once

#include <string>
#include <vector>

#include "vendral/com_automation.h"
#include "vendral/connection.h"

namespace vendral::com {

// A new error object with one reference; records (a database error's) are
// offered through IVendralErrorRecords when there are any.
IErrorInfo* NewErrorInfo(const IID& iid, const std::string& source, const std::string& description,
                         std::vector<ErrorRecord> records = {});

// Sets the thread's error object (taking over error's reference).
void LeaveErrorInfo(IErrorInfo* error);

}  // namespace vendral::com
