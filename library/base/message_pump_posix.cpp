#include "base/message_pump.h"

namespace vendral::detail {

// The widget library's host processes Qt's events; the core has none of its own.
void ProcessPendingMessages() {}

}  // namespace vendral::detail
