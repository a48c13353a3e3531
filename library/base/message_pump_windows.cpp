#include "base/message_pump.h"

#include <windows.h>

namespace vendral::detail {

void ProcessPendingMessages() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // PeekMessage took the request off the queue: the program's own
            // loop, not this one, is the one it is meant to end.
            ::PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

}  // namespace vendral::detail
