// The windows of the library's own window classes that are alive. While any
// is, the library answers DllCanUnloadNow with S_FALSE, whatever objects its
// clients still hold: a client that frees its unused libraries would
// otherwise unload the code of a live window.
#pragma once

namespace vendral::internal {

// delta is +1 when such a window is made, -1 when it is gone.
void CountLibraryWindow(int delta);

}  // namespace vendral::internal
