#include "vendral/widgets/csplash.h"

#include <limits>

#include "desktop/qt/frm_splash.h"
#include "vendral/cfile.h"
#include "vendral/platform_error.h"
#include "vendral/ui_host.h"
#include "vendral/widgets/cprogressbar.h"

namespace vendral {

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
    File().GetFileInfo(sFileName);
    // Touching the form loads and shows it.
    qt::FrmSplash::Instance().LblApplication->setText(
        QString::fromStdString(File().FileInfo_InternalName()));
    qt::FrmSplash::Instance().LblVersion->setText(
        QString::fromStdString(File().FileInfo_FileVersion()));
    CurrentUiHost()->DoEvents();
    Bar().Parent(qt::FrmSplash::Instance().Picture1);
    Bar().Create({}, {}, {}, {}, true);
    Bar().MaxValue(10);
    return {};
}

void CSplash::LoadStep() {
    Bar().Raise(step_);
    if (step_ == std::numeric_limits<std::int16_t>::max()) throw PlatformError(6, "Overflow");
    ++step_;
}

}  // namespace vendral
