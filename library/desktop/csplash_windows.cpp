#include "desktop/csplash_windows.h"

#include "desktop/cprogressbar_windows.h"
#include "desktop/frm_splash_windows.h"
#include "desktop/splash_rules.h"
#include "vendral/cfile.h"
#include "vendral/ui_host.h"

namespace vendral::detail {
namespace {

// Picture1 as the bar's Parent: its window and its width in twips.
class PictureParent final : public BarParent {
  public:
    explicit PictureParent(HWND picture) : picture_(picture) {}
    std::int32_t Window() override {
        return static_cast<std::int32_t>(reinterpret_cast<INT_PTR>(picture_));
    }
    double WidthTwips() override { return internal::kSplashPicture1.Width; }

  private:
    HWND picture_;
};

class Win32SplashFace final : public internal::SplashFace {
  public:
    explicit Win32SplashFace(Win32ProgressBar& bar) : bar_(bar) {}
    void SetApplication(const std::string& caption) override {
        Win32SplashForm::Instance().SetLblApplication(caption);
    }
    void SetVersion(const std::string& caption) override {
        Win32SplashForm::Instance().SetLblVersion(caption);
    }
    void DoEvents() override { CurrentUiHost()->DoEvents(); }
    void PutBar(std::int32_t maxValue) override {
        bar_.Parent(std::make_shared<PictureParent>(Win32SplashForm::Instance().Picture1()));
        bar_.Create({}, {}, {}, {}, true);
        bar_.MaxValue(maxValue);
    }

  private:
    Win32ProgressBar& bar_;
};

}  // namespace

Win32Splash::Win32Splash() = default;

Win32Splash::~Win32Splash() {
    // The file and bar objects go first, then the form closes and takes the
    // bar's window with it.
    file_.reset();
    bar_.reset();
    Win32SplashForm::Unload();
}

CFile& Win32Splash::File() {
    if (!file_) file_ = std::make_unique<CFile>();
    return *file_;
}

Win32ProgressBar& Win32Splash::Bar() {
    if (!bar_) bar_ = std::make_unique<Win32ProgressBar>();
    return *bar_;
}

void Win32Splash::ShowSplash(const std::string& sFileName) {
    Win32SplashFace face(Bar());
    internal::ShowSplashOn(face, File(), sFileName);
}

void Win32Splash::LoadStep() {
    internal::LoadStepOn(step_, [this](std::int32_t item) { Bar().Raise(item); });
}

}  // namespace vendral::detail
