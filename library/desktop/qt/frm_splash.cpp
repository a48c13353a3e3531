#include "desktop/qt/frm_splash.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QRadialGradient>
#include <QScreen>

#include "base/qt/twips.h"
#include "desktop/quvex.h"
#include "desktop/splash_rules.h"
#include "vendral/ui_host.h"

namespace vendral::detail::qt {
namespace {

thread_local QPointer<FrmSplash> tForm;

// 0x00BBGGRR to Qt's colour.
QColor FromBgr(std::uint32_t colour) {
    return QColor(static_cast<int>(colour & 0xffu), static_cast<int>((colour >> 8) & 0xffu),
                  static_cast<int>((colour >> 16) & 0xffu));
}

QRect TwipsRect(const internal::SplashControl& control) {
    return {TwipsToPixelsX(control.Left), TwipsToPixelsY(control.Top),
            TwipsToPixelsX(control.Width), TwipsToPixelsY(control.Height)};
}

// Tahoma is rarely installed here; the condensed DejaVu is close to its width,
// so the captions fit the places the form gives them.
void SubstituteTahoma() {
    static const bool done = [] {
        if (QFont::substitutes(QStringLiteral("Tahoma")).isEmpty())
            QFont::insertSubstitutions(
                QStringLiteral("Tahoma"),
                {QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("DejaVu Sans")});
        return true;
    }();
    (void)done;
}

QLabel* MakeLabel(QWidget* form, const internal::SplashControl& control) {
    auto* label = new QLabel(QString::fromUtf8(control.Caption), form);
    QFont font(QString::fromUtf8(internal::kSplashFontName));
    font.setPointSizeF(internal::kSplashFontPoints);
    font.setBold(control.Bold);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, FromBgr(internal::kSplashTextColour));
    label->setPalette(palette);
    label->setAutoFillBackground(false);  // the picture shows through
    label->setGeometry(TwipsRect(control));
    return label;
}

}  // namespace

QPixmap SplashBackground() {
    QImage image(internal::kSplashPictureWidth, internal::kSplashPictureHeight,
                 QImage::Format_RGB888);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient paper(0, 0, 0, 251);
    paper.setColorAt(0.0, QColor(0xe4, 0xec, 0xf7));
    paper.setColorAt(1.0, QColor(0xfb, 0xfc, 0xfe));
    p.fillRect(image.rect(), paper);

    // A deep band across the top with a rising curve.
    QPainterPath band;
    band.moveTo(0, 0);
    band.lineTo(415, 0);
    band.lineTo(415, 88);
    band.cubicTo(300, 120, 150, 70, 0, 112);
    band.closeSubpath();
    QLinearGradient deep(0, 0, 415, 112);
    deep.setColorAt(0.0, QColor(0x10, 0x2a, 0x6b));
    deep.setColorAt(1.0, QColor(0x1f, 0x5f, 0xa8));
    p.fillPath(band, deep);

    // Rings of light on the right: records passing between two databases.
    for (int i = 0; i < 5; ++i) {
        p.setPen(QPen(QColor(255, 255, 255, 60 - i * 10), 2));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(350, 40), 18.0 + i * 14, 18.0 + i * 14);
    }
    QRadialGradient glow(QPointF(350, 40), 18);
    glow.setColorAt(0, QColor(0xff, 0xc8, 0x4a));
    glow.setColorAt(1, QColor(0xf0, 0x8c, 0x1e));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(QPointF(350, 40), 12, 12);

    QFont title(QStringLiteral("DejaVu Sans"));
    title.setPixelSize(38);
    title.setBold(true);
    p.setFont(title);
    p.setPen(Qt::white);
    p.drawText(QRect(22, 14, 300, 48), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Vendral"));
    QFont tagline(QStringLiteral("DejaVu Sans"));
    tagline.setPixelSize(12);
    p.setFont(tagline);
    p.setPen(QColor(0xcf, 0xdc, 0xf2));
    p.drawText(QRect(24, 60, 300, 20), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("desktop components for the CRM database"));

    // A thin rule above the captions.
    p.setPen(QPen(QColor(0xf0, 0x8c, 0x1e), 2));
    p.drawLine(8, 122, 200, 122);
    p.end();
    return QPixmap::fromImage(image);
}

QPixmap SplashIcon() {
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 128));
    p.drawRect(2, 2, 28, 28);
    p.setBrush(QColor(255, 255, 255));
    QPolygon v({{7, 7}, {12, 7}, {16, 19}, {20, 7}, {25, 7}, {18, 26}, {14, 26}});
    p.drawPolygon(v);
    p.setBrush(QColor(255, 128, 0));
    p.drawRect(23, 23, 5, 5);
    p.end();
    // Sixteen colours, as the form's icon had.
    QList<QRgb> vga = {
        qRgba(0, 0, 0, 0),   qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),
        qRgb(128, 128, 0),   qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128),
        qRgb(192, 192, 192), qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),
        qRgb(255, 128, 0),   qRgb(0, 0, 255),     qRgb(0, 255, 255), qRgb(255, 255, 255)};
    return QPixmap::fromImage(
        image.convertToFormat(QImage::Format_Indexed8, vga, Qt::ThresholdDither | Qt::AvoidDither));
}

FrmSplash::FrmSplash()
    : QWidget(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      background_(SplashBackground()) {
    SubstituteTahoma();
    setAttribute(Qt::WA_DeleteOnClose, false);
    // No caption text: an empty title would make Qt show the program's name.
    setWindowTitle(QStringLiteral(" "));
    setWindowIcon(QIcon(SplashIcon()));
    setFixedSize(TwipsToPixelsX(internal::kSplashWidthTwips),
                 TwipsToPixelsY(internal::kSplashHeightTwips));
    Label4 = MakeLabel(this, internal::kSplashLabel4);
    LblApplication = MakeLabel(this, internal::kSplashLblApplication);
    Label5 = MakeLabel(this, internal::kSplashLabel5);
    LblVersion = MakeLabel(this, internal::kSplashLblVersion);
    // The captions reach the values' left edge with the substituted font: the
    // values keep their place and start a few pixels in.
    LblApplication->setIndent(4);
    LblVersion->setIndent(4);
    Label6 = MakeLabel(this, internal::kSplashLabel6);
    Picture1 = new QWidget(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setGeometry(TwipsRect(internal::kSplashPicture1));
    Picture1->setAutoFillBackground(true);
    QPalette palette = Picture1->palette();
    palette.setColor(QPalette::Window, palette.color(QPalette::Base));
    Picture1->setPalette(palette);
}

FrmSplash& FrmSplash::Instance() {
    if (!tForm) {
        tForm = new FrmSplash();
        tForm->Load();
    }
    return *tForm;
}

FrmSplash* FrmSplash::Loaded() {
    return tForm.data();
}

void FrmSplash::Unload() {
    if (!tForm) return;
    FrmSplash* form = tForm.data();
    tForm = nullptr;
    form->close();
    delete form;
}

void FrmSplash::Load() {
    // Centred on the screen, then shown without blocking the caller.
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect area = screen->geometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
    show();
    CurrentUiHost()->DoEvents();
}

void FrmSplash::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawPixmap(0, 0, background_);
}

void FrmSplash::mouseDoubleClickEvent(QMouseEvent*) {
    // Whatever goes wrong here ends the handler quietly.
    desktop::StartQuvexIfPresent();
}

void FrmSplash::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    static thread_local bool inside = false;
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && !inside) {
        inside = true;
        CurrentUiHost()->DoEvents();
        inside = false;
    }
}

}  // namespace vendral::detail::qt
