#include "settings/qt/frm_odbc_settings.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QProcess>
#include <QProxyStyle>
#include <QPushButton>
#include <QShortcut>

#include "base/qt/twips.h"
#include "settings/qt/dsn_entries.h"
#include "settings/qt/library_module.h"
#include "settings/qt/open_document.h"
#include "settings/settings_dialog_design.h"
#include "vendral/connection.h"

namespace vendral::detail::qt {
namespace {

using internal::DialogControlDesign;
using internal::DialogControlKind;

QColor Colour(std::uint32_t bgr) {
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
}

// Password boxes show one "*" per character.
class StarPasswordStyle : public QProxyStyle {
  public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_LineEdit_PasswordCharacter) return '*';
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

QFont FormFont() {
    QFont font(QString::fromUtf8(internal::kSettingsDialogFontFace));
    font.setPointSizeF(internal::kSettingsDialogFontPoints);
    return font;
}

// The logo: a database drum with the library's initial.
QPixmap Logo() {
    QPixmap pixmap(85, 74);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF body(14, 10, 57, 54);
    const qreal rim = 12;
    QLinearGradient shade(body.left(), 0, body.right(), 0);
    shade.setColorAt(0, QColor(40, 92, 150));
    shade.setColorAt(0.45, QColor(96, 150, 206));
    shade.setColorAt(1, QColor(30, 70, 120));
    QPainterPath drum;
    drum.moveTo(body.left(), body.top() + rim / 2);
    drum.lineTo(body.left(), body.bottom() - rim / 2);
    drum.arcTo(QRectF(body.left(), body.bottom() - rim, body.width(), rim), 180, 180);
    drum.lineTo(body.right(), body.top() + rim / 2);
    drum.arcTo(QRectF(body.left(), body.top(), body.width(), rim), 0, -180);
    painter.setPen(QPen(QColor(24, 56, 96), 1));
    painter.setBrush(shade);
    painter.drawPath(drum);
    painter.setBrush(QColor(150, 190, 230));
    painter.drawEllipse(QRectF(body.left(), body.top(), body.width(), rim));
    QFont letter(QStringLiteral("DejaVu Sans"));
    letter.setBold(true);
    letter.setPixelSize(30);
    painter.setFont(letter);
    painter.setPen(Qt::white);
    painter.drawText(QRectF(body.left(), body.top() + rim, body.width(), body.height() - rim),
                     Qt::AlignCenter, QStringLiteral("V"));
    return pixmap;
}

// Qt reads the design's Windows paths with slashes.
QString LocalPath(const std::string& path) {
    return QString::fromStdString(path).replace(QLatin1Char('\\'), QLatin1Char('/'));
}

}  // namespace

FrmODBCSettings::FrmODBCSettings(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FrmODBCSettings"));
    setWindowTitle(QString::fromUtf8(internal::kSettingsDialogCaption));
    setFont(FormFont());
    QPalette form = palette();
    form.setColor(QPalette::Window, Colour(internal::kSettingsDialogFormColour));
    setPalette(form);
    setAutoFillBackground(true);

    frame_ = new QFrame(this);
    frame_->setObjectName(QStringLiteral("Frame1"));
    frame_->setFrameStyle(QFrame::Box | QFrame::Plain);
    // The frame keeps the system's dialog font; its controls use the form's.
    frame_->setFont(QApplication::font());
    QPalette white = frame_->palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::WindowText, Colour(internal::kSettingsDialogFrameLineColour));
    frame_->setPalette(white);
    frame_->setAutoFillBackground(true);

    for (const DialogControlDesign& design : internal::kSettingsDialogDesign) {
        QWidget* owner = design.InFrame ? static_cast<QWidget*>(frame_) : this;
        QWidget* widget = nullptr;
        switch (design.Kind) {
            case DialogControlKind::Picture: {
                auto* picture = new QLabel(owner);
                picture->setPixmap(Logo());
                picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
                widget = picture;
                break;
            }
            case DialogControlKind::Button: {
                auto* button = new QPushButton(QString::fromUtf8(design.Caption), owner);
                // No button is pressed by Enter from elsewhere in the dialog.
                button->setAutoDefault(false);
                widget = button;
                break;
            }
            case DialogControlKind::Label: {
                auto* label = new QLabel(QString::fromUtf8(design.Caption), owner);
                label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
                QPalette grey = label->palette();
                grey.setColor(QPalette::WindowText, Colour(internal::kSettingsDialogLabelColour));
                label->setPalette(grey);
                widget = label;
                break;
            }
            case DialogControlKind::Combo:
                widget = new QComboBox(owner);
                break;
            case DialogControlKind::Text:
            case DialogControlKind::Password: {
                auto* text = new QLineEdit(owner);
                if (design.Kind == DialogControlKind::Password)
                    text->setEchoMode(QLineEdit::Password);
                widget = text;
                break;
            }
        }
        widget->setObjectName(QString::fromUtf8(design.Name));
        widget->setFont(FormFont());
    }
    for (const char* name : {"CBCentralType", "CBLocalType"})
        for (const char* item : internal::kSettingsDialogDriverTypes)
            Combo(name)->addItem(QString::fromUtf8(item));

    const auto& order = internal::kSettingsDialogTabOrder;
    for (std::size_t i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(Control(order[i - 1]), Control(order[i]));

    auto button = [this](const char* name) { return static_cast<QPushButton*>(Control(name)); };
    connect(button("BtnSave"), &QPushButton::clicked, this, [this] { presenter_.SaveClicked(); });
    connect(button("BtnTest"), &QPushButton::clicked, this, [this] { presenter_.TestClicked(); });
    connect(button("BtnCancel"), &QPushButton::clicked, this,
            [this] { presenter_.CancelClicked(); });
    connect(button("BtnHelp"), &QPushButton::clicked, this, [this] { presenter_.HelpClicked(); });
    auto* help = new QShortcut(QKeySequence::HelpContents, this);
    connect(help, &QShortcut::activated, this, [this] { presenter_.HelpKeyPressed(); });

    // Made last, so that it outlives the boxes that use it.
    auto* stars = new StarPasswordStyle;
    stars->setParent(this);
    for (const char* name : {"TxtCentralPWD", "TxtLocalPWD"}) Edit(name)->setStyle(stars);

    RemoveCloseMenu();
    ResetToDesign();
}

FrmODBCSettings::~FrmODBCSettings() = default;

QWidget* FrmODBCSettings::Control(const char* name) const {
    return findChild<QWidget*>(QString::fromUtf8(name));
}

QComboBox* FrmODBCSettings::Combo(const char* name) const {
    return findChild<QComboBox*>(QString::fromUtf8(name));
}

QLineEdit* FrmODBCSettings::Edit(const char* name) const {
    return findChild<QLineEdit*>(QString::fromUtf8(name));
}

// Closing unloads the form: the next showing starts from the design again.
void FrmODBCSettings::ResetToDesign() {
    for (const DialogControlDesign& design : internal::kSettingsDialogDesign) {
        QWidget* widget = Control(design.Name);
        widget->setGeometry(TwipsToPixelsX(design.Left, this), TwipsToPixelsY(design.Top, this),
                            TwipsToPixelsX(design.Width, this),
                            TwipsToPixelsY(design.Height, this));
        widget->setVisible(design.Visible);
        if (auto* text = qobject_cast<QLineEdit*>(widget)) text->clear();
        if (design.Kind == DialogControlKind::Combo &&
            design.Name != std::string("CBCentralType") &&
            design.Name != std::string("CBLocalType"))
            static_cast<QComboBox*>(widget)->clear();
    }
    static_cast<QLabel*>(Control("LblVersion"))->clear();
    const auto& frame = internal::kSettingsDialogFrame;
    frame_->setGeometry(TwipsToPixelsX(frame[0], this), TwipsToPixelsY(frame[1], this),
                        TwipsToPixelsX(frame[2], this), TwipsToPixelsY(frame[3], this));
    setFixedSize(TwipsToPixelsX(internal::kSettingsDialogClientWidthTwips, this),
                 TwipsToPixelsY(internal::kSettingsDialogFullWindowTwips -
                                    internal::kSettingsDialogNonClientTwips,
                                this));
}

// The window has no close command: no close button in its title, and the
// window manager's close (Alt+F4 included) is refused in closeEvent. Window
// managers grant every command when a window names none, so the dialog names
// maximising, which they refuse for a window of fixed size.
void FrmODBCSettings::RemoveCloseMenu() {
    const Qt::WindowFlags flags =
        Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowMaximizeButtonHint;
    // Setting the flags again would hide a shown window.
    if (windowFlags() != flags) setWindowFlags(flags);
}

void FrmODBCSettings::reject() {}

void FrmODBCSettings::closeEvent(QCloseEvent* event) {
    if (leaving_) {
        event->accept();
    } else {
        event->ignore();
    }
}

void FrmODBCSettings::Close(bool saved) {
    leaving_ = true;
    done(saved ? QDialog::Accepted : QDialog::Rejected);
    leaving_ = false;
}

void FrmODBCSettings::SetHeights(int windowTwips, int frameTwips) {
    setFixedSize(TwipsToPixelsX(internal::kSettingsDialogClientWidthTwips, this),
                 TwipsToPixelsY(windowTwips - internal::kSettingsDialogNonClientTwips, this));
    frame_->resize(frame_->width(), TwipsToPixelsY(frameTwips, this));
}

void FrmODBCSettings::SetTop(const char* control, int topTwips) {
    QWidget* widget = Control(control);
    widget->move(widget->x(), TwipsToPixelsY(topTwips, this));
}

void FrmODBCSettings::SetVisible(const char* control, bool visible) {
    Control(control)->setVisible(visible);
}

void FrmODBCSettings::SetText(const char* control, const std::string& text) {
    QWidget* widget = Control(control);
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setText(QString::fromStdString(text));
    } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        edit->setText(QString::fromStdString(text));
    }
}

std::string FrmODBCSettings::Text(const char* control) const {
    if (QComboBox* list = Combo(control)) return list->currentText().toStdString();
    if (QLineEdit* edit = Edit(control)) return edit->text().toStdString();
    return {};
}

void FrmODBCSettings::AddListItem(const char* list, const std::string& item) {
    Combo(list)->addItem(QString::fromStdString(item));
}

std::vector<std::string> FrmODBCSettings::ListItems(const char* list) const {
    std::vector<std::string> items;
    const QComboBox* combo = Combo(list);
    for (int i = 0; i < combo->count(); ++i) items.push_back(combo->itemText(i).toStdString());
    return items;
}

void FrmODBCSettings::SelectListItem(const char* list, int index) {
    Combo(list)->setCurrentIndex(index);
}

std::string FrmODBCSettings::VersionCaption() const {
    return LibraryVersionCaption();
}

std::string FrmODBCSettings::HelpFilePath() const {
    return qt::HelpFilePath();
}

std::string FrmODBCSettings::LibrarySettingsPath() const {
    return qt::LibrarySettingsPath();
}

std::vector<std::string> FrmODBCSettings::DataSourceNames() const {
    return ListDataSourceNames();
}

bool FrmODBCSettings::FileExists(const std::string& path) const {
    return QFileInfo::exists(LocalPath(path));
}

void FrmODBCSettings::OpenDocument(const std::string& path) {
    qt::OpenDocument(path);
}

void FrmODBCSettings::StartProgram(const std::string& path) {
    QProcess::startDetached(LocalPath(path), {});
}

void FrmODBCSettings::SetTestConnectionString(Connection& connection, const std::string& text) {
    SettingsDialogView::SetTestConnectionString(connection, text);
}

void FrmODBCSettings::Load() {
    presenter_.Load();
}

void FrmODBCSettings::ShowModally() {
    Load();
    exec();
}

void FrmODBCSettings::GetDSNEntrys() {
    presenter_.GetDSNEntrys();
}

bool FrmODBCSettings::CheckSettings() {
    return presenter_.CheckSettings();
}

void FrmODBCSettings::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
    presenter_.BackgroundDoubleClicked();
}

}  // namespace vendral::detail::qt
