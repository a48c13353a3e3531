// The splash form of the Windows build, one per thread: a window of its own
// class ("frmSplash") with the background picture, the five labels as static
// controls and Picture1, the holder of the bar. Made the first time any of
// its controls is touched; it shows itself (modeless) while it loads.
#pragma once

#include <windows.h>

#include <string>

#include "base/internal_export.h"

namespace vendral::detail {

class Win32SplashForm {
  public:
    // The thread's form, created, loaded and shown when there is none.
    static Win32SplashForm& Instance();
    // Closes the thread's form and destroys it with its controls.
    static void Unload();

    ~Win32SplashForm();
    Win32SplashForm(const Win32SplashForm&) = delete;
    Win32SplashForm& operator=(const Win32SplashForm&) = delete;

    HWND Window() const { return window_; }
    HWND Picture1() const { return Control(kPicture1); }
    // A label's caption; the picture under it is drawn again first.
    void SetLblApplication(const std::string& caption) { SetCaption(kLblApplication, caption); }
    void SetLblVersion(const std::string& caption) { SetCaption(kLblVersion, caption); }

  private:
    enum ControlIndex { kLblApplication = 1, kLblVersion = 3, kPicture1 = 5 };
    Win32SplashForm();
    void Load();
    HWND Control(int index) const;
    void SetCaption(int index, const std::string& caption);
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND window_ = nullptr;
    HFONT regular_ = nullptr;
    HFONT bold_ = nullptr;
    HBITMAP background_ = nullptr;
};

}  // namespace vendral::detail
