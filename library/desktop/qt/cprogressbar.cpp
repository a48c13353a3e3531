#include "vendral/widgets/cprogressbar.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QPointer>
#include <QProgressBar>
#include <QWidget>
#include <QWindow>
#include <cstdlib>

#include "base/qt/twips.h"
#include "desktop/progress_bar_layout.h"
#include "vendral/progress_counter.h"

namespace vendral {
namespace {

constexpr std::uint32_t kDefaultColour = 0xFF000000u;

QString CssColour(std::uint32_t bgr) {
    return QStringLiteral("#%1%2%3")
        .arg(bgr & 0xFF, 2, 16, QLatin1Char('0'))
        .arg((bgr >> 8) & 0xFF, 2, 16, QLatin1Char('0'))
        .arg((bgr >> 16) & 0xFF, 2, 16, QLatin1Char('0'));
}

// Colours and the smooth or block look live on the widget, so that they die
// with it, as they would with the platform's window.
const char* kBarColour = "vendralBarColour";
const char* kBackColour = "vendralBackColour";
const char* kSmooth = "vendralSmooth";

// The size of a native window, as the platform's window rectangle gives it.
// Qt does not ask the X server for the geometry of a window it did not make.
QSize NativeWindowSize(QWindow* window) {
    auto* x11 =
        qApp != nullptr ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (x11 == nullptr || x11->connection() == nullptr) return window->geometry().size();
    xcb_connection_t* connection = x11->connection();
    xcb_get_geometry_reply_t* reply = xcb_get_geometry_reply(
        connection, xcb_get_geometry(connection, static_cast<xcb_drawable_t>(window->winId())),
        nullptr);
    if (reply == nullptr) return {};
    QSize size(reply->width, reply->height);
    std::free(reply);
    return size;
}

}  // namespace

struct CProgressBar::Impl {
    void ApplyStyle();
    // Shows position (clamped to the bar's range).
    void Show(std::int64_t position);

    bool vertical_ = false;
    std::int32_t barHandle_ = 0;
    QPointer<QWidget> parent_;
    std::int32_t hWndParent_ = 0;
    ProgressCounter counter_;
    QPointer<QProgressBar> bar_;
    QPointer<QWindow> foreignParent_;
};

CProgressBar::CProgressBar() : impl_(std::make_unique<Impl>()) {}

CProgressBar::~CProgressBar() = default;

QWidget* CProgressBar::Parent() const {
    return impl_->parent_;
}

void CProgressBar::Parent(QWidget* value) {
    impl_->parent_ = value;
}

std::int32_t CProgressBar::SethWndParent() const {
    return impl_->hWndParent_;
}

void CProgressBar::SethWndParent(std::int32_t value) {
    impl_->hWndParent_ = value;
}

std::int32_t CProgressBar::ProgBarHwnd() const {
    return impl_->barHandle_;
}

void CProgressBar::StepValue(std::int32_t step) {
    impl_->counter_.SetStepValue(step);
}

std::int32_t CProgressBar::MaxValue() const {
    return impl_->counter_.MaxValue();
}

void CProgressBar::MaxValue(std::int32_t m) {
    impl_->counter_.SetMaxValue(m);
}

QProgressBar* CProgressBar::Bar() const {
    return impl_->bar_;
}

void CProgressBar::Impl::ApplyStyle() {
    if (!bar_) return;
    QVariant bar = bar_->property(kBarColour), back = bar_->property(kBackColour);
    bool smooth = bar_->property(kSmooth).toBool();
    QString sheet = QStringLiteral("QProgressBar { border: 1px solid #8c8c8c; background: %1; }")
                        .arg(back.isValid() ? back.toString() : QStringLiteral("palette(base)"));
    QString chunk = bar.isValid() ? bar.toString() : QStringLiteral("palette(highlight)");
    if (smooth) {
        sheet += QStringLiteral(" QProgressBar::chunk { background: %1; }").arg(chunk);
    } else {
        const char* extent = bar_->orientation() == Qt::Vertical ? "height" : "width";
        sheet += QStringLiteral(" QProgressBar::chunk { background: %1; %2: 6px; margin: 1px; }")
                     .arg(chunk, QLatin1String(extent));
    }
    bar_->setStyleSheet(sheet);
}

Variant CProgressBar::SetBackColor(std::int32_t NewBackColor) {
    QProgressBar* bar_ = impl_->bar_;
    if (bar_) {
        auto colour = static_cast<std::uint32_t>(NewBackColor);
        bar_->setProperty(kBackColour,
                          colour == kDefaultColour ? QVariant() : QVariant(CssColour(colour)));
        impl_->ApplyStyle();
    }
    return {};
}

Variant CProgressBar::SetBarColor(std::int32_t NewBarColor) {
    QProgressBar* bar_ = impl_->bar_;
    if (bar_) {
        auto colour = static_cast<std::uint32_t>(NewBarColor);
        bar_->setProperty(kBarColour,
                          colour == kDefaultColour ? QVariant() : QVariant(CssColour(colour)));
        impl_->ApplyStyle();
    }
    return {};
}

void CProgressBar::SetProgVert(bool Vertical) {
    impl_->vertical_ = Vertical;
}

bool CProgressBar::Create(const Variant& Left, const Variant& Top, const Variant& Width,
                          const Variant& Height, bool Smooth) {
    Impl& d = *impl_;
    QWidget* host = nullptr;
    QWindow* foreign = nullptr;
    if (d.hWndParent_ != 0) {
        foreign = QWindow::fromWinId(static_cast<WId>(static_cast<std::uint32_t>(d.hWndParent_)));
        if (foreign == nullptr) return false;
    } else if (!d.parent_) {
        return false;
    } else {
        host = d.parent_;
    }

    auto* bar = new QProgressBar(host);
    bar->setRange(0, 100);
    bar->setValue(0);
    bar->setTextVisible(false);
    bar->setOrientation(d.vertical_ ? Qt::Vertical : Qt::Horizontal);
    bar->setProperty(kSmooth, Smooth);
    // A second Create forgets the earlier bar; it stays on its parent.
    d.bar_ = bar;
    d.ApplyStyle();

    if (foreign != nullptr) {
        // The bar becomes a native child of the foreign window, as large as it.
        bar->setAttribute(Qt::WA_NativeWindow);
        bar->winId();
        bar->windowHandle()->setParent(foreign);
        QSize size = NativeWindowSize(foreign);
        bar->setGeometry(0, 0, size.width(), size.height());
        d.foreignParent_ = foreign;
    } else {
        internal::BarRectangle place = internal::BarOnParent(
            Left, Top, Width, Height, [host] { return qt::PixelsToTwipsX(host->width(), host); },
            qt::TwipsPerPixelX(host));
        bar->setGeometry(place.Left, place.Top, place.Width, place.Height);
    }
    bar->show();
    d.barHandle_ = static_cast<std::int32_t>(static_cast<std::uint32_t>(bar->winId()));
    return d.barHandle_ != 0;
}

void CProgressBar::DestroyProgBar() {
    // The stored handle stays as it was.
    delete impl_->bar_.data();
    QPointer<QWindow>& foreign = impl_->foreignParent_;
    if (foreign && foreign->children().isEmpty()) delete foreign.data();
}

void CProgressBar::Impl::Show(std::int64_t position) {
    // The bar's range stays 0 to 100: what is shown is clamped, never what is counted.
    if (bar_) bar_->setValue(ShownPosition(position));
}

void CProgressBar::ClearProgBar() {
    impl_->Show(0);
}

void CProgressBar::SetProgBarPos(std::int32_t ProgPos) {
    internal::ShowBetweenEvents(ProgPos, [this](std::int32_t position) { impl_->Show(position); });
}

void CProgressBar::DelayProgBar(std::int16_t itime) {
    internal::DelayBetweenEvents(itime);
}

void CProgressBar::Raise(std::int32_t n) {
    internal::RaiseCounted(impl_->counter_, n,
                           [this](std::int32_t position) { impl_->Show(position); });
}

}  // namespace vendral
