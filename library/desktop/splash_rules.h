// What the splash form is on every platform: its layout in twips, its
// captions, colours and font, the order of ShowSplash's steps and the
// numbering of LoadStep. The faces (qt/frm_splash.cpp, frm_splash_windows.cpp)
// only make the windows and draw.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "base/internal_export.h"

namespace vendral {
class CFile;
}  // namespace vendral

// Shared with the widget library's splash.
namespace vendral::internal {

// The form's client area, in twips.
inline constexpr int kSplashWidthTwips = 6210;
inline constexpr int kSplashHeightTwips = 3720;
// The background picture's size in pixels.
inline constexpr int kSplashPictureWidth = 415;
inline constexpr int kSplashPictureHeight = 251;

// A control of the form: its initial caption and place in twips.
struct SplashControl {
    const char* Name;
    const char* Caption;
    int Left;
    int Top;
    int Width;
    int Height;
    bool Bold;
};

// The five labels, in their order on the form.
inline constexpr SplashControl kSplashLabel4{"Label4", "Application:", 120, 1920, 855, 255, false};
inline constexpr SplashControl kSplashLblApplication{
    "LblApplication", "Vendral", 960, 1920, 3135, 255, true};
inline constexpr SplashControl kSplashLabel5{"Label5", "Version:", 120, 2160, 735, 255, false};
inline constexpr SplashControl kSplashLblVersion{"LblVersion", "1.0", 960, 2160, 1335, 255, true};
inline constexpr SplashControl kSplashLabel6{"Label6", "Program status:", 120, 2880, 1575, 255,
                                             false};
inline constexpr const SplashControl* kSplashLabels[] = {
    &kSplashLabel4, &kSplashLblApplication, &kSplashLabel5, &kSplashLblVersion, &kSplashLabel6};
// The holder of the bar, in the window-background colour.
inline constexpr SplashControl kSplashPicture1{"Picture1", "", 120, 3075, 2175, 135, false};

// The labels' text: navy, 0x00BBGGRR; their font.
inline constexpr std::uint32_t kSplashTextColour = 0x00800000u;
inline constexpr const char* kSplashFontName = "Tahoma";
inline constexpr double kSplashFontPoints = 8.25;

// The bar's maximum: a step of 1, so each counted load step moves it by 10.
inline constexpr std::int32_t kSplashBarMaxValue = 10;

// What ShowSplash asks of a platform's form and bar.
class SplashFace {
  public:
    virtual ~SplashFace() = default;
    // The value captions; touching the form loads and shows it.
    virtual void SetApplication(const std::string& caption) = 0;
    virtual void SetVersion(const std::string& caption) = 0;
    virtual void DoEvents() = 0;
    // A new smooth bar on Picture1 (Create without position or size) with
    // the given maximum.
    virtual void PutBar(std::int32_t maxValue) = 0;
};

// The application name and version of sFileName's version resource; a file
// without one leaves file's earlier strings.
VENDRAL_INTERNAL void ShowSplashOn(SplashFace& face, CFile& file, const std::string& sFileName);

// Reports counter to the bar through raise, then counts on.
// @throws PlatformError 6 (overflow) when the counter cannot count on; the
//         report has gone to the bar then.
VENDRAL_INTERNAL void LoadStepOn(std::int16_t& counter,
                                 const std::function<void(std::int32_t)>& raise);

}  // namespace vendral::internal
