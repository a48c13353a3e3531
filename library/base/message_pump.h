// Letting the calling thread's pending window messages run from inside a call
// of the library, whatever UI host is installed.
#pragma once

namespace vendral::detail {

// Dispatches the messages waiting in the calling thread's queue and returns
// when none is left. A quit request found there stays for the caller's own
// message loop: it is posted again with its exit code and ends the processing.
// Where the library has no window system of its own, does nothing.
void ProcessPendingMessages();

}  // namespace vendral::detail
