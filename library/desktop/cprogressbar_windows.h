// The progress bar of the Windows build: a "msctls_progress32" window of the
// system's common controls on a client's form, control or any window, driven
// directly or in counting mode. What it shares with the widget library's bar
// (style, layout, counting) is in progress_bar_layout.h.
#pragma once

#include <cstdint>
#include <memory>

#include "vendral/progress_counter.h"
#include "vendral/variant.h"

namespace vendral::detail {

// The form or control a bar is placed on, asked when a bar is made.
class BarParent {
  public:
    virtual ~BarParent() = default;
    // Its window handle (hWnd).
    virtual std::int32_t Window() = 0;
    // Its width in twips (Width).
    virtual double WidthTwips() = 0;
};

class Win32ProgressBar {
  public:
    // Registers the progress bar class of the common controls.
    Win32ProgressBar();
    // The bar stays with its parent window.
    ~Win32ProgressBar() = default;
    Win32ProgressBar(const Win32ProgressBar&) = delete;
    Win32ProgressBar& operator=(const Win32ProgressBar&) = delete;

    // Colours are 0x00BBGGRR, sent to the bar of the last Create.
    void SetBackColor(std::int32_t colour);
    void SetBarColor(std::int32_t colour);
    // Takes effect at the next Create.
    void SetProgVert(bool vertical);
    // Makes and shows a new bar: on SethWndParent's window as large as its
    // window rectangle (the four values unused), else on Parent at (Left,
    // Top), Width by Height pixels with the missing values filled in. False
    // when there is neither parent or no window was made.
    bool Create(const Variant& Left, const Variant& Top, const Variant& Width,
                const Variant& Height, bool Smooth);
    void Parent(std::shared_ptr<BarParent> parent) { parent_ = std::move(parent); }
    // Destroys the bar of the last Create; ProgBarHwnd keeps its value.
    void DestroyProgBar();
    void ClearProgBar();
    void SetProgBarPos(std::int32_t position);
    void DelayProgBar(std::int16_t milliseconds);
    std::int32_t SethWndParent() const { return parentWindow_; }
    void SethWndParent(std::int32_t window) { parentWindow_ = window; }
    std::int32_t ProgBarHwnd() const { return bar_; }
    // @throws PlatformError 11 while the step is 0.
    void Raise(std::int32_t n);
    void StepValue(std::int32_t step) { counter_.SetStepValue(step); }
    std::int32_t MaxValue() const { return counter_.MaxValue(); }
    void MaxValue(std::int32_t m) { counter_.SetMaxValue(m); }

  private:
    void Send(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) const;

    std::uint32_t verticalStyle_ = 0;
    std::int32_t bar_ = 0;
    std::shared_ptr<BarParent> parent_;
    std::int32_t parentWindow_ = 0;
    ProgressCounter counter_;
};

}  // namespace vendral::detail
