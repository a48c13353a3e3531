// A progress bar placed on any widget, or on any native window given by its
// id, driven directly or in counting mode. The range is fixed at 0 to 100.
#pragma once

#include <QPointer>
#include <QProgressBar>
#include <QWidget>
#include <QWindow>
#include <cstdint>

#include "vendral/export.h"
#include "vendral/progress_counter.h"
#include "vendral/variant.h"

namespace vendral {

class VENDRAL_API CProgressBar {
  public:
    CProgressBar() = default;
    // The bar stays with its parent window: releasing the object does not
    // destroy it.
    ~CProgressBar() = default;
    CProgressBar(const CProgressBar&) = delete;
    CProgressBar& operator=(const CProgressBar&) = delete;

    // Colours are 0x00BBGGRR; 0xFF000000 gives the default colour back. Both
    // act on the bar made by the last Create (before one, nothing happens).
    Variant SetBackColor(std::int32_t NewBackColor);
    Variant SetBarColor(std::int32_t NewBarColor);
    // Takes effect at the next Create.
    void SetProgVert(bool Vertical);
    // Makes and shows a new bar. On SethWndParent's window it covers that
    // window's size from the top-left corner and the four values are unused;
    // else on Parent at (Left, Top), Width (the parent's width) by Height
    // (20) pixels. False when neither parent is set.
    bool Create(const Variant& Left = {}, const Variant& Top = {}, const Variant& Width = {},
                const Variant& Height = {}, bool Smooth = false);
    QWidget* Parent() const { return parent_; }
    void Parent(QWidget* value) { parent_ = value; }
    void DestroyProgBar();
    void ClearProgBar();
    void SetProgBarPos(std::int32_t ProgPos);
    // Lets pending events run, sleeps itime milliseconds (not at all when
    // negative), and lets pending events run again.
    void DelayProgBar(std::int16_t itime);
    std::int32_t SethWndParent() const { return hWndParent_; }
    void SethWndParent(std::int32_t value) { hWndParent_ = value; }
    std::int32_t ProgBarHwnd() const { return barHandle_; }
    // Throws PlatformError 11 while the step is 0.
    void Raise(std::int32_t n);
    void StepValue(std::int32_t step) { counter_.SetStepValue(step); }
    std::int32_t MaxValue() const { return counter_.MaxValue(); }
    void MaxValue(std::int32_t m) { counter_.SetMaxValue(m); }

    // The widget of the last Create, while it exists.
    QProgressBar* Bar() const { return bar_; }

  private:
    void Show(std::int64_t position);
    void ApplyStyle();

    bool vertical_ = false;
    std::int32_t barHandle_ = 0;
    QPointer<QWidget> parent_;
    std::int32_t hWndParent_ = 0;
    ProgressCounter counter_;
    QPointer<QProgressBar> bar_;
    QPointer<QWindow> foreignParent_;
};

}  // namespace vendral
