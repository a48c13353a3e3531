// The hourglass over every window of the process, held for as long as an
// object of BusyPointer lives.
#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>
#include <vector>

namespace vendral::detail {

// SetCursor alone lasts only until the next WM_SETCURSOR, which every mouse
// move over a window sends and whose default handling puts the window's own
// pointer back. While an object lives, a hook on each thread of the process
// sets the hourglass again after every WM_SETCURSOR its windows handle.
class BusyPointer {
  public:
    // Shows the hourglass now and hooks the threads the process has.
    BusyPointer();
    // Unhooks them; the caller shows the pointer that follows.
    ~BusyPointer();
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;

  private:
    struct Unhook {
        void operator()(HHOOK hook) const { ::UnhookWindowsHookEx(hook); }
    };
    using Hook = std::unique_ptr<std::remove_pointer_t<HHOOK>, Unhook>;
    std::vector<Hook> hooks_;
};

}  // namespace vendral::detail
