// The error object of a failed call goes to the system, where every client
// (a script engine, an early-bound program) reads it with GetErrorInfo.
#include "com/error_info.h"

namespace vendral::com {

void LeaveErrorInfo(IErrorInfo* error) {
    ::SetErrorInfo(0, error);
    if (error) error->Release();  // the system holds its own reference
}

}  // namespace vendral::com
