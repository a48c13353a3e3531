// The window classes "BrixTextBox" and "BrixCombo", registered while the
// library is loaded, and the subclassed constituent windows of the controls.
#pragma once

#include <windows.h>

namespace vendral::detail::controls {

// The window procedure a watched constituent had before, for what the control
// leaves to it.
LRESULT DefaultPartMessage(HWND part, UINT message, WPARAM wParam, LPARAM lParam);

// Whether the left button's release at lParam, over the constituent part, ends
// a press that began on it: a click. Clears the press either way.
bool ReleaseEndsClick(HWND part, LPARAM lParam, bool& pressed);

}  // namespace vendral::detail::controls
