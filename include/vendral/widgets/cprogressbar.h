/// @file
/// The progress bar of the widget library.

/// @class vendral::CProgressBar
/// A progress bar placed on any widget, or on any native window given by its
/// id, driven directly or in counting mode. The range is fixed at 0 to 100.
#pragma once

#include <QProgressBar>
#include <QWidget>
#include <cstdint>
#include <memory>

#include "vendral/export.h"
#include "vendral/variant.h"

namespace vendral {

class VENDRAL_API CProgressBar {
  public:
    /// An object without a bar and without a parent.
    CProgressBar();
    /// The bar stays with its parent window: releasing the object does not
    /// destroy it.
    ~CProgressBar();
    CProgressBar(const CProgressBar&) = delete;
    CProgressBar& operator=(const CProgressBar&) = delete;

    /// The background colour of the bar made by the last Create (before one,
    /// nothing happens). Colours are 0x00BBGGRR; 0xFF000000 gives the default
    /// colour back. Result always empty.
    Variant SetBackColor(std::int32_t NewBackColor);
    /// The colour of the bar's filled part; as SetBackColor().
    Variant SetBarColor(std::int32_t NewBarColor);
    /// A vertical bar (true) or a horizontal one; takes effect at the next
    /// Create.
    void SetProgVert(bool Vertical);
    /// Makes and shows a new bar. On SethWndParent's window it covers that
    /// window's size from the top-left corner and the four values are unused;
    /// else on Parent at (Left, Top), Width (the parent's width) by Height
    /// (20) pixels. False when neither parent is set (or the native window
    /// cannot be reached). A bar made before stays on its parent.
    /// @param Left the left edge in pixels (0 when empty).
    /// @param Top the top edge in pixels (0 when empty).
    /// @param Width the width in pixels.
    /// @param Height the height in pixels.
    /// @param Smooth a continuous bar (true) or one of blocks.
    /// @throws VariantError for a value that is no number.
    bool Create(const Variant& Left = {}, const Variant& Top = {}, const Variant& Width = {},
                const Variant& Height = {}, bool Smooth = false);
    /** @{ */
    /// The widget the next Create places the bar on (when no native window is
    /// set); forgotten when the widget is destroyed.
    QWidget* Parent() const;
    void Parent(QWidget* value);
    /** @} */
    /// Destroys the bar of the last Create; ProgBarHwnd() keeps its value.
    void DestroyProgBar();
    /// Shows position 0.
    void ClearProgBar();
    /// Shows position @p ProgPos (clamped to 0 to 100), letting pending
    /// events run before and after.
    void SetProgBarPos(std::int32_t ProgPos);
    /// Lets pending events run, sleeps itime milliseconds (not at all when
    /// negative), and lets pending events run again.
    void DelayProgBar(std::int16_t itime);
    /** @{ */
    /// The id of a native window (another program's, or any X11 window) the
    /// next Create places the bar on; 0 (the default) uses Parent().
    std::int32_t SethWndParent() const;
    void SethWndParent(std::int32_t value);
    /** @} */
    /// The native window id of the bar of the last Create (0 before one).
    std::int32_t ProgBarHwnd() const;
    /// Counting mode: reports item @p n; the bar moves when @p n is on a step
    /// boundary (see ProgressCounter), letting pending events run.
    /// @throws PlatformError 11 ("Division by zero") while the step is 0.
    void Raise(std::int32_t n);
    /// Counting mode: the bar moves every @p step items; counting starts again.
    void StepValue(std::int32_t step);
    /** @{ */
    /// Counting mode: the number of items; setting it derives the step and
    /// starts counting again.
    std::int32_t MaxValue() const;
    void MaxValue(std::int32_t m);
    /** @} */

    /// The widget of the last Create, while it exists.
    QProgressBar* Bar() const;

  private:
    // The bar, its parents and the counting state (cprogressbar.cpp).
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace vendral
