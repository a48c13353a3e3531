#include "desktop/splash_rules.h"

#include <limits>

#include "vendral/cfile.h"
#include "vendral/platform_error.h"

namespace vendral::internal {
namespace {

constexpr std::int32_t kErrorOverflow = 6;

}  // namespace

void ShowSplashOn(SplashFace& face, CFile& file, const std::string& sFileName) {
    file.GetFileInfo(sFileName);
    face.SetApplication(file.FileInfo_InternalName());
    face.SetVersion(file.FileInfo_FileVersion());
    face.DoEvents();
    face.PutBar(kSplashBarMaxValue);
}

void LoadStepOn(std::int16_t& counter, const std::function<void(std::int32_t)>& raise) {
    raise(counter);
    if (counter == std::numeric_limits<std::int16_t>::max())
        throw PlatformError(kErrorOverflow, "Overflow");
    ++counter;
}

}  // namespace vendral::internal
