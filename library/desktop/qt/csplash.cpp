#include "vendral/widgets/csplash.h"

#include "desktop/qt/frm_splash.h"
#include "desktop/splash_rules.h"
#include "vendral/cfile.h"
#include "vendral/ui_host.h"
#include "vendral/widgets/cprogressbar.h"

namespace vendral {
namespace {

// The thread's form and the object's bar, as the shared steps of ShowSplash
// touch them.
class QtSplashFace final : public internal::SplashFace {
  public:
    explicit QtSplashFace(CProgressBar& bar) : bar_(bar) {}
    void SetApplication(const std::string& caption) override {
        qt::FrmSplash::Instance().LblApplication->setText(QString::fromStdString(caption));
    }
    void SetVersion(const std::string& caption) override {
        qt::FrmSplash::Instance().LblVersion->setText(QString::fromStdString(caption));
    }
    void DoEvents() override { CurrentUiHost()->DoEvents(); }
    void PutBar(std::int32_t maxValue) override {
        bar_.Parent(qt::FrmSplash::Instance().Picture1);
        bar_.Create({}, {}, {}, {}, true);
        bar_.MaxValue(maxValue);
    }

  private:
    CProgressBar& bar_;
};

}  // namespace

CSplash::CSplash() = default;

CSplash::~CSplash() {
    // The file and bar objects go first, then the form closes and takes the
    // bar's window with it.
    file_.reset();
    bar_.reset();
    qt::FrmSplash::Unload();
}

CFile& CSplash::File() {
    if (!file_) file_ = std::make_unique<CFile>();
    return *file_;
}

CProgressBar& CSplash::Bar() {
    if (!bar_) bar_ = std::make_unique<CProgressBar>();
    return *bar_;
}

Variant CSplash::ShowSplash(const std::string& sFileName) {
    QtSplashFace face(Bar());
    internal::ShowSplashOn(face, File(), sFileName);
    return {};
}

void CSplash::LoadStep() {
    internal::LoadStepOn(step_, [this](std::int32_t item) { Bar().Raise(item); });
}

}  // namespace vendral
