// CSplash of the Windows build: the thread's splash form (frm_splash_windows.h)
// with the file's application name and version and a smooth bar on Picture1
// in counting mode. The steps are the widget library's (splash_rules.h).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace vendral {
class CFile;
}  // namespace vendral

namespace vendral::detail {

class Win32ProgressBar;

class Win32Splash {
  public:
    Win32Splash();
    // Releases the file and the bar, then closes the thread's form.
    ~Win32Splash();
    Win32Splash(const Win32Splash&) = delete;
    Win32Splash& operator=(const Win32Splash&) = delete;

    void ShowSplash(const std::string& sFileName);
    // @throws PlatformError 11 before any ShowSplash (a bar with a step of 0)
    //         from the second call on; 6 when the counter overflows.
    void LoadStep();

  private:
    CFile& File();
    Win32ProgressBar& Bar();

    std::unique_ptr<CFile> file_;
    std::unique_ptr<Win32ProgressBar> bar_;
    std::int16_t step_ = 0;
};

}  // namespace vendral::detail
