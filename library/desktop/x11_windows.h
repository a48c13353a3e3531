// Other programs' top-level windows on an X11 display, through the window
// manager's conventions: EWMH requests where the manager supports them, the
// ICCCM ones beside them.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vendral::x11 {

using Window = std::uint32_t;

// One connection to the display named by DISPLAY, for the length of one
// operation. Open() is empty when no display is reachable.
class Display {
  public:
    static std::unique_ptr<Display> Open();
    ~Display();
    Display(const Display&) = delete;
    Display& operator=(const Display&) = delete;

    // The top-level windows, topmost first: the window manager's stacking
    // list, its client list, or (without a window manager) the root's children.
    std::vector<Window> TopLevelWindows();
    // _NET_WM_NAME, else WM_NAME; empty when the window has neither.
    std::string Title(Window window);
    // The first top-level window whose whole title equals title, letters
    // compared without regard to case.
    std::optional<Window> FindByTitle(std::string_view title);

    // _NET_CLOSE_WINDOW where the manager offers it, else WM_DELETE_WINDOW
    // when the window takes part in that protocol; otherwise nothing.
    void RequestClose(Window window);
    // ICCCM WM_CHANGE_STATE to the iconic state.
    void Iconify(Window window);
    void Maximize(Window window);
    // An iconic window comes back in the state it had (maximised or not); a
    // shown one loses its maximised state.
    void Restore(Window window);
    void Activate(Window window);
    std::optional<Window> ActiveWindow();
    // _NET_WM_STATE_ABOVE added or removed; an unmapped (withdrawn) window
    // gets the state as its own property and is mapped.
    void SetAbove(Window window, bool above);

    bool IsIconic(Window window);

  private:
    struct Impl;
    explicit Display(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace vendral::x11
