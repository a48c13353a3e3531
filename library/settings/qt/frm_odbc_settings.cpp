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
#include <array>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>

#include "odbc/connection_strings.h"
#include "base/private_profile.h"
#include "base/qt/twips.h"
#include "settings/qt/dsn_entries.h"
#include "settings/qt/library_module.h"
#include "settings/qt/open_document.h"
#include "vendral/connection.h"
#include "vendral/settings.h"
#include "vendral/ui_host.h"

namespace vendral::detail::qt {
namespace {

// The design's window heights are outer heights: a title bar and borders of
// 390 twips stand above the client area.
constexpr int kNonClientTwips = 390;
constexpr int kClientWidthTwips = 6300;
constexpr int kFullWindowTwips = 6150;
constexpr int kFullFrameTwips = 5295;
constexpr int kCompactWindowTwips = 2850;
constexpr int kCompactFrameTwips = 2175;
constexpr int kServerWindowTwips = 3240;
constexpr int kServerFrameTwips = 2775;
// Where the Help button goes when the compact layouts show the server fields,
// below Cancel and inside the client area.
constexpr int kCompactHelpTopTwips = 2400;
constexpr int kTestTimeoutSeconds = 15;

constexpr const char* kCentral = "Central";
constexpr const char* kLocal = "Local";
constexpr const char* kDefaultPrefix = "CRM5";

const QColor kFormColour(232, 239, 245);
const QColor kLabelColour(128, 128, 128);
const QColor kFrameLineColour(176, 190, 204);

enum class Kind { Picture, Button, Label, Combo, Text, Password };

struct Design {
    const char* Name;
    Kind Type;
    const char* Caption;
    int Left, Top, Width, Height;
    bool InFrame;
    bool Visible;
};

// Every control as designed: positions in twips, inside the frame relative to it.
constexpr std::array kDesign{
    Design{"Image2", Kind::Picture, "", 4920, 120, 1275, 1110, false, true},
    Design{"BtnTest", Kind::Button, "&Test", 5040, 1320, 1040, 280, false, true},
    Design{"BtnSave", Kind::Button, "&Save", 5040, 1680, 1040, 280, false, true},
    Design{"BtnCancel", Kind::Button, "&Cancel", 5040, 2040, 1040, 280, false, true},
    Design{"BtnHelp", Kind::Button, "&Help", 5040, 4800, 1040, 280, false, false},
    Design{"LblVersion", Kind::Label, "", 4920, 2400, 1455, 255, false, false},
    Design{"Label3", Kind::Label, "Changes take effect at the next start.", 120, 5520, 2655, 255,
           false, false},
    Design{"Label1(0)", Kind::Label, "First ODBC Connection", 120, 240, 2535, 255, true, true},
    Design{"Label1(6)", Kind::Label, "Database Prefix", 3120, 240, 1455, 255, true, true},
    Design{"CBCentralDSN", Kind::Combo, "", 120, 480, 2535, 315, true, true},
    Design{"TxtPrefixNetwork", Kind::Text, "", 3120, 480, 1335, 285, true, true},
    Design{"Label1(1)", Kind::Label, "ODBC entry driver", 120, 840, 3975, 255, true, false},
    Design{"CBCentralType", Kind::Combo, "", 120, 1080, 4335, 315, true, false},
    Design{"Label1(2)", Kind::Label, "UserID:", 120, 1440, 735, 255, true, true},
    Design{"Label1(3)", Kind::Label, "Password:", 2520, 1440, 1935, 255, true, true},
    Design{"TxtCentralUID", Kind::Text, "", 120, 1680, 1935, 285, true, true},
    Design{"TxtCentralPWD", Kind::Password, "", 2520, 1680, 1935, 285, true, true},
    Design{"Label1(4)", Kind::Label, "Servername:", 120, 2040, 1575, 255, true, true},
    Design{"Label1(5)", Kind::Label, "Databasename:", 2520, 2040, 1335, 255, true, true},
    Design{"TxtCentralServer", Kind::Text, "", 120, 2280, 1935, 285, true, true},
    Design{"TxtCentralDatabase", Kind::Text, "", 2520, 2280, 1935, 285, true, true},
    Design{"Label2(0)", Kind::Label, "Second ODBC Entry", 120, 2640, 2895, 255, true, true},
    Design{"Label1(7)", Kind::Label, "Database Prefix", 3120, 2640, 1455, 255, true, true},
    Design{"CBLocalDSN", Kind::Combo, "", 120, 2880, 2535, 315, true, false},
    Design{"TxtPrefixLocal", Kind::Text, "", 3120, 2880, 1335, 285, true, true},
    Design{"Label2(1)", Kind::Label, "ODBC entry driver", 120, 3240, 3975, 255, true, false},
    Design{"CBLocalType", Kind::Combo, "", 120, 3480, 4335, 315, true, false},
    Design{"Label2(2)", Kind::Label, "UserID:", 120, 3960, 735, 255, true, true},
    Design{"Label2(3)", Kind::Label, "Password:", 2520, 3960, 1095, 255, true, true},
    Design{"TxtLocalUID", Kind::Text, "", 120, 4200, 1935, 285, true, true},
    Design{"TxtLocalPWD", Kind::Password, "", 2400, 4200, 1935, 285, true, true},
    Design{"Label2(4)", Kind::Label, "Servername:", 120, 4560, 1575, 255, true, true},
    Design{"Label2(5)", Kind::Label, "Databasename:", 2520, 4560, 1815, 255, true, true},
    Design{"TxtLocalServer", Kind::Text, "", 120, 4800, 1935, 285, true, true},
    Design{"TxtLocalDatabase", Kind::Text, "", 2400, 4800, 1935, 285, true, true},
};

constexpr std::array kTabOrder{"CBCentralDSN",   "CBCentralType",    "TxtCentralUID",
                               "TxtCentralPWD",  "TxtCentralServer", "TxtCentralDatabase",
                               "CBLocalDSN",     "CBLocalType",      "BtnCancel",
                               "BtnSave",        "BtnTest",          "TxtPrefixNetwork",
                               "TxtPrefixLocal", "BtnHelp",          "TxtLocalUID",
                               "TxtLocalPWD",    "TxtLocalDatabase", "TxtLocalServer"};

const QStringList kDriverTypes{"Microsoft Acces", "Sybase SQL Anywhere", "Microsoft SQL Server",
                               "Oracle"};

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
    QFont font(QStringLiteral("Tahoma"));
    font.setPointSizeF(8.25);
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

std::string TrimRight(const QString& text) {
    std::string value = text.toStdString();
    value.erase(value.find_last_not_of(' ') + 1);
    return value;
}

std::string Std(const QString& text) {
    return text.toStdString();
}

// Load steps skip their errors and loading goes on with the next one.
template <class Step>
void Skipping(Step&& step) {
    try {
        step();
    } catch (...) {
    }
}

}  // namespace

FrmODBCSettings::FrmODBCSettings(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FrmODBCSettings"));
    setWindowTitle(QStringLiteral("ODBC Settings"));
    setFont(FormFont());
    QPalette form = palette();
    form.setColor(QPalette::Window, kFormColour);
    setPalette(form);
    setAutoFillBackground(true);

    frame_ = new QFrame(this);
    frame_->setObjectName(QStringLiteral("Frame1"));
    frame_->setFrameStyle(QFrame::Box | QFrame::Plain);
    // The frame keeps the system's dialog font; its controls use the form's.
    frame_->setFont(QApplication::font());
    QPalette white = frame_->palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::WindowText, kFrameLineColour);
    frame_->setPalette(white);
    frame_->setAutoFillBackground(true);

    for (const Design& design : kDesign) {
        QWidget* owner = design.InFrame ? static_cast<QWidget*>(frame_) : this;
        QWidget* widget = nullptr;
        switch (design.Type) {
            case Kind::Picture: {
                auto* picture = new QLabel(owner);
                picture->setPixmap(Logo());
                picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
                widget = picture;
                break;
            }
            case Kind::Button: {
                auto* button = new QPushButton(QString::fromUtf8(design.Caption), owner);
                // No button is pressed by Enter from elsewhere in the dialog.
                button->setAutoDefault(false);
                widget = button;
                break;
            }
            case Kind::Label: {
                auto* label = new QLabel(QString::fromUtf8(design.Caption), owner);
                label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
                QPalette grey = label->palette();
                grey.setColor(QPalette::WindowText, kLabelColour);
                label->setPalette(grey);
                widget = label;
                break;
            }
            case Kind::Combo:
                widget = new QComboBox(owner);
                break;
            case Kind::Text:
            case Kind::Password: {
                auto* text = new QLineEdit(owner);
                if (design.Type == Kind::Password) text->setEchoMode(QLineEdit::Password);
                widget = text;
                break;
            }
        }
        widget->setObjectName(QString::fromUtf8(design.Name));
        widget->setFont(FormFont());
    }
    for (const char* name : {"CBCentralType", "CBLocalType"}) Combo(name)->addItems(kDriverTypes);

    for (std::size_t i = 1; i < kTabOrder.size(); ++i)
        QWidget::setTabOrder(Control(kTabOrder[i - 1]), Control(kTabOrder[i]));

    connect(static_cast<QPushButton*>(Control("BtnSave")), &QPushButton::clicked, this,
            &FrmODBCSettings::SaveClicked);
    connect(static_cast<QPushButton*>(Control("BtnTest")), &QPushButton::clicked, this,
            &FrmODBCSettings::TestClicked);
    connect(static_cast<QPushButton*>(Control("BtnCancel")), &QPushButton::clicked, this,
            &FrmODBCSettings::CancelClicked);
    connect(static_cast<QPushButton*>(Control("BtnHelp")), &QPushButton::clicked, this,
            &FrmODBCSettings::HelpClicked);
    // F1 reaches the help also in the compact layouts, where the Help button
    // has no room.
    auto* help = new QShortcut(QKeySequence::HelpContents, this);
    connect(help, &QShortcut::activated, this, [this] {
        if (QFileInfo::exists(QString::fromStdString(HelpFilePath()))) HelpClicked();
    });

    // Made last, so that it outlives the boxes that use it.
    auto* stars = new StarPasswordStyle;
    stars->setParent(this);
    for (const char* name : {"TxtCentralPWD", "TxtLocalPWD"}) Text(name)->setStyle(stars);

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

QLineEdit* FrmODBCSettings::Text(const char* name) const {
    return findChild<QLineEdit*>(QString::fromUtf8(name));
}

// Closing unloads the form: the next showing starts from the design again.
void FrmODBCSettings::ResetToDesign() {
    for (const Design& design : kDesign) {
        QWidget* widget = Control(design.Name);
        widget->setGeometry(TwipsToPixelsX(design.Left, this), TwipsToPixelsY(design.Top, this),
                            TwipsToPixelsX(design.Width, this),
                            TwipsToPixelsY(design.Height, this));
        widget->setVisible(design.Visible);
        if (auto* text = qobject_cast<QLineEdit*>(widget)) text->clear();
        if (design.Type == Kind::Combo && design.Name != std::string("CBCentralType") &&
            design.Name != std::string("CBLocalType"))
            static_cast<QComboBox*>(widget)->clear();
    }
    static_cast<QLabel*>(Control("LblVersion"))->clear();
    frame_->setGeometry(TwipsToPixelsX(120, this), TwipsToPixelsY(120, this),
                        TwipsToPixelsX(4695, this), TwipsToPixelsY(5175, this));
    setFixedSize(TwipsToPixelsX(kClientWidthTwips, this),
                 TwipsToPixelsY(kFullWindowTwips - kNonClientTwips, this));
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

void FrmODBCSettings::Leave(int result) {
    leaving_ = true;
    done(result);
    leaving_ = false;
}

void FrmODBCSettings::SetHeights(int windowTwips, int frameTwips) {
    setFixedSize(TwipsToPixelsX(kClientWidthTwips, this),
                 TwipsToPixelsY(windowTwips - kNonClientTwips, this));
    frame_->resize(frame_->width(), TwipsToPixelsY(frameTwips, this));
}

void FrmODBCSettings::SetTop(QWidget* widget, int topTwips) {
    widget->move(widget->x(), TwipsToPixelsY(topTwips, this));
}

void FrmODBCSettings::Load() {
    ResetToDesign();
    const DialogState state = CurrentDialogState();
    Skipping([&] {
        static_cast<QLabel*>(Control("LblVersion"))
            ->setText(QString::fromStdString(LibraryVersionCaption()));
    });
    Skipping([&] {
        if (QFileInfo::exists(QString::fromStdString(HelpFilePath()))) Control("BtnHelp")->show();
    });
    Skipping([&] { SetHeights(kFullWindowTwips, kFullFrameTwips); });
    Skipping([&] { RemoveCloseMenu(); });
    Skipping([&] { ArrangeForMode(state.Mode, state.AskServer); });
    Skipping([&] { GetDSNEntrys(); });
    Skipping([&] {
        // A copy: what loading calls may name another file for the thread.
        // NOLINTNEXTLINE(performance-unnecessary-copy-initialization)
        const std::string file = SettingsFilePath();
        std::error_code ignored;
        if (std::filesystem::exists(file, ignored)) {
            LoadSettingsFile(file);
        } else {
            Text("TxtPrefixNetwork")->setText(kDefaultPrefix);
            Text("TxtPrefixLocal")->setText(kDefaultPrefix);
        }
    });
}

void FrmODBCSettings::ShowModally() {
    Load();
    exec();
}

void FrmODBCSettings::ArrangeForMode(int mode, int askServer) {
    auto show = [this](std::initializer_list<const char*> names, bool visible) {
        for (const char* name : names) Control(name)->setVisible(visible);
    };
    const bool ask = askServer == 1;
    if (mode == 1) {
        SetHeights(kCompactWindowTwips, kCompactFrameTwips);
        show({"CBCentralDSN", "TxtCentralUID", "TxtCentralPWD"}, true);
        show({"CBCentralType", "CBLocalDSN", "CBLocalType", "TxtLocalUID", "TxtLocalPWD",
              "TxtLocalServer", "TxtLocalDatabase", "TxtCentralServer", "TxtCentralDatabase",
              "Label2(0)", "Label2(1)", "Label2(2)", "Label2(3)", "Label2(4)", "Label2(5)",
              "Label1(4)", "Label1(5)", "Label1(7)"},
             false);
        if (ask) {
            SetHeights(kServerWindowTwips, kServerFrameTwips);
            // Test, Save and Cancel keep their places and Help goes below them,
            // so that all four stay inside the window.
            SetTop(Control("BtnHelp"), kCompactHelpTopTwips);
            show({"Label1(4)", "Label1(5)", "TxtCentralServer", "TxtCentralDatabase"}, true);
        }
    } else if (mode == 2) {
        SetTop(Control("Label2(0)"), 240);
        SetTop(Control("CBLocalDSN"), 480);
        SetTop(Control("Label2(1)"), 840);
        SetTop(Control("CBLocalType"), 1080);
        SetTop(Control("Label2(2)"), 1440);
        SetTop(Control("Label2(3)"), 1440);
        SetTop(Control("TxtLocalUID"), 1680);
        SetTop(Control("TxtLocalPWD"), 1680);
        SetHeights(kCompactWindowTwips, kCompactFrameTwips);
        show({"CBLocalDSN", "TxtLocalUID", "TxtLocalPWD"}, true);
        show({"CBLocalType", "CBCentralDSN", "CBCentralType", "TxtCentralUID", "TxtCentralPWD",
              "Label1(0)", "Label1(1)", "Label1(2)", "Label1(3)", "Label1(4)", "Label1(5)",
              "Label2(4)", "Label2(5)", "TxtCentralServer", "TxtCentralDatabase", "TxtLocalServer",
              "TxtLocalDatabase"},
             false);
        if (ask) {
            SetTop(Control("Label2(4)"), 2040);
            SetTop(Control("Label2(5)"), 2040);
            SetTop(Control("TxtLocalServer"), 2280);
            SetTop(Control("TxtLocalDatabase"), 2280);
            show({"Label2(4)", "Label2(5)", "TxtLocalServer", "TxtLocalDatabase"}, true);
            SetHeights(kServerWindowTwips, kServerFrameTwips);
            SetTop(Control("BtnHelp"), kCompactHelpTopTwips);
        }
    } else if (mode >= 3) {
        show({"Label1(4)", "Label1(5)", "TxtCentralServer", "TxtCentralDatabase", "Label2(4)",
              "Label2(5)", "TxtLocalServer", "TxtLocalDatabase", "CBCentralType", "CBLocalType"},
             false);
        show({"CBLocalDSN", "TxtLocalUID", "TxtLocalPWD"}, true);
        if (ask) {
            show({"Label1(4)", "Label1(5)", "TxtCentralServer", "TxtCentralDatabase", "Label2(4)",
                  "Label2(5)", "TxtLocalServer", "TxtLocalDatabase"},
                 true);
        }
    }
    // Without the server fields the compact window has no room for Help
    // (F1 still opens the help file).
    if ((mode == 1 || mode == 2) && !ask) Control("BtnHelp")->hide();
}

void FrmODBCSettings::GetDSNEntrys() {
    QComboBox* central = Combo("CBCentralDSN");
    QComboBox* local = Combo("CBLocalDSN");
    Skipping([&] {
        for (const std::string& name : ListDataSourceNames()) {
            central->addItem(QString::fromStdString(name));
            local->addItem(QString::fromStdString(name));
        }
    });
    // An empty list has nothing to select; the index then stays -1.
    central->setCurrentIndex(central->count() > 0 ? 0 : -1);
    local->setCurrentIndex(local->count() > 0 ? 0 : -1);
}

void FrmODBCSettings::LoadSettingsFile(const std::string& file) {
    auto read = [&file](const char* section, const char* key, const char* defaultValue = "") {
        return QString::fromStdString(ReadIniValue(section, key, defaultValue, file).ToString());
    };
    // A name the list does not hold is refused and the selection stays. Data
    // source names are matched without regard to case, as the driver manager
    // matches them, the exact spelling first.
    auto select = [](QComboBox* list, const QString& name) {
        int index = list->findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (index < 0) index = list->findText(name, Qt::MatchFixedString);
        if (index >= 0) list->setCurrentIndex(index);
    };
    Skipping([&] { select(Combo("CBCentralDSN"), read(kCentral, "DSN")); });
    Skipping([&] { select(Combo("CBLocalDSN"), read(kLocal, "DSN")); });
    Skipping(
        [&] { Text("TxtPrefixNetwork")->setText(read(kCentral, "DBPrefix", kDefaultPrefix)); });
    Skipping([&] { Text("TxtCentralUID")->setText(read(kCentral, "UID")); });
    Skipping([&] { Text("TxtCentralPWD")->setText(read(kCentral, "PWD")); });
    Skipping([&] { Text("TxtLocalUID")->setText(read(kLocal, "UID")); });
    Skipping([&] { Text("TxtLocalPWD")->setText(read(kLocal, "PWD")); });
    Skipping([&] { Text("TxtPrefixLocal")->setText(read(kLocal, "DBPrefix", kDefaultPrefix)); });
    Skipping([&] { Text("TxtCentralServer")->setText(read(kCentral, "ServerName")); });
    Skipping([&] { Text("TxtCentralDatabase")->setText(read(kCentral, "PrefixName")); });
    Skipping([&] { Text("TxtLocalServer")->setText(read(kLocal, "ServerName")); });
    Skipping([&] { Text("TxtLocalDatabase")->setText(read(kLocal, "PrefixName")); });

    // A plain password is moved to its encoded form, also when the user
    // then cancels; the boxes then show the decoded value.
    struct Side {
        const char* Section;
        const char* Box;
    };
    const std::array<Side, 2> sides{Side{kCentral, "TxtCentralPWD"}, Side{kLocal, "TxtLocalPWD"}};
    for (const Side& side : sides) {
        Skipping([&] {
            QLineEdit* password = Text(side.Box);
            if (!password->text().isEmpty()) {
                WriteIniValue(side.Section, "PWD", "", file);
                WriteIniValue(side.Section, "PWDC", EncodePassword(Std(password->text())), file);
            }
        });
    }
    for (const Side& side : sides) {
        Skipping([&] {
            QString encoded = read(side.Section, "PWDC");
            if (!encoded.isEmpty()) encoded = QString::fromStdString(DecodePassword(Std(encoded)));
            Text(side.Box)->setText(encoded);
        });
    }
}

bool FrmODBCSettings::CheckSettings() {
    const DialogState state = CurrentDialogState();
    const bool ask = state.AskServer == 1;
    QString message;
    auto check = [&message](bool missing, const char* text) {
        if (missing) message = QString::fromUtf8(text);
    };
    auto empty = [this](const char* name) {
        if (QComboBox* list = Combo(name)) return list->currentText().isEmpty();
        return Text(name)->text().isEmpty();
    };
    const bool central = state.Mode == 1 || state.Mode == 3;
    const bool local = state.Mode == 2 || state.Mode == 3;
    if (central) {
        check(empty("CBCentralDSN"), "The central DSN entry is missing.");
        check(empty("TxtCentralUID"), "The central user id is missing.");
    }
    if (local) {
        check(empty("CBLocalDSN"), "The local DSN entry is missing.");
        check(empty("TxtLocalUID"), "The local user id is missing.");
    }
    if (ask && central) {
        check(empty("TxtCentralServer"), "The central server missing.");
        check(empty("TxtCentralDatabase"), "The central databasename is missing.");
    }
    if (ask && local) {
        check(empty("TxtLocalServer"), "The local server missing.");
        check(empty("TxtLocalDatabase"), "The local databasename is missing.");
    }
    if (message.isEmpty()) return true;
    ShowErrorMessage(Std(message));
    return false;
}

void FrmODBCSettings::SaveClicked() {
    if (!CheckSettings()) return;
    // A copy: what saving calls may name another file for the thread.
    // NOLINTNEXTLINE(performance-unnecessary-copy-initialization)
    const std::string file = SettingsFilePath();
    // Each value is written as WriteIniValue writes it; the first that cannot
    // be written (a read-only file or folder) stops the saving with a word to
    // the user, the file as it was and the dialog open.
    bool written = true;
    auto write = [&](const char* section, const char* key, const std::string& value) {
        if (written) written = WritePrivateProfileString(section, key, value, file);
    };
    auto save = [&](const char* section, const char* dsn, const char* uid, const char* pwd,
                    const char* server, const char* database, const char* prefix) {
        write(section, "DSN", Std(Combo(dsn)->currentText()));
        write(section, "UID", TrimRight(Text(uid)->text()));
        write(section, "PWDC", EncodePassword(TrimRight(Text(pwd)->text())));
        write(section, "ServerName", Std(Text(server)->text()));
        write(section, "PrefixName", Std(Text(database)->text()));
        write(section, "DBPrefix", Std(Text(prefix)->text()));
    };
    // All twelve values, whatever the mode: hidden boxes hold what loading put there.
    save(kCentral, "CBCentralDSN", "TxtCentralUID", "TxtCentralPWD", "TxtCentralServer",
         "TxtCentralDatabase", "TxtPrefixNetwork");
    save(kLocal, "CBLocalDSN", "TxtLocalUID", "TxtLocalPWD", "TxtLocalServer", "TxtLocalDatabase",
         "TxtPrefixLocal");
    if (!written) {
        ShowErrorMessage("The settings cannot be saved: the file " + file +
                         " cannot be written. Check that its folder and the file may be written.");
        return;
    }
    Leave(QDialog::Accepted);
}

void FrmODBCSettings::TestClicked() {
    if (!CheckSettings()) return;
    const int mode = CurrentDialogState().Mode;
    const std::shared_ptr<UiHost> hostShare = CurrentUiHost();
    UiHost& host = *hostShare;
    host.SetMousePointer(kPointerBusy);
    bool pointerRestored = false;
    auto beforeBox = [&] {
        if (!pointerRestored) host.SetMousePointer(kPointerArrow);
        pointerRestored = true;
    };
    auto test = [&](bool centralSide) {
        const char* prefix = centralSide ? "Central" : "Local";
        const std::string dsn =
            Std(Combo(centralSide ? "CBCentralDSN" : "CBLocalDSN")->currentText());
        const std::string uid = Std(Text(centralSide ? "TxtCentralUID" : "TxtLocalUID")->text());
        const std::string pwd = Std(Text(centralSide ? "TxtCentralPWD" : "TxtLocalPWD")->text());
        const std::string failure = std::string(prefix) + " database connection FAILED!";
        int failures = 0;
        auto fail = [&](std::int64_t number, const std::string& description) {
            beforeBox();
            ShowErrorMessage(failure + "\r\n" + std::to_string(number) + "\r\n" + description);
            ++failures;
        };
        // The test connection lives for one test only. A step that fails is
        // reported and the next one still runs.
        auto connection = std::make_unique<Connection>();
        connection->CommandTimeout(kTestTimeoutSeconds);
        auto step = [&](const std::function<void()>& action) {
            try {
                action();
            } catch (const DatabaseError& error) {
                fail(error.NativeError(), error.Description());
            } catch (const std::exception& error) {
                fail(0, error.what());
            }
        };
        step([&] { SetTestConnectionString(*connection, OdbcConnectionString(dsn, uid, pwd)); });
        step([&] { connection->Open("", "", "", -1); });
        if (failures == 0) {
            beforeBox();
            ShowInfoMessage(std::string(prefix) + " database connection test is successful!");
            try {
                connection->Close();
            } catch (const std::exception&) {
            }
        }
    };
    if (mode == 1) {
        test(true);
    } else if (mode == 2) {
        test(false);
    } else if (mode >= 3) {
        test(true);
        test(false);
    }
    host.SetMousePointer(kPointerArrow);
}

void FrmODBCSettings::SetTestConnectionString(Connection& connection, const std::string& text) {
    connection.ConnectionString(text);
}

void FrmODBCSettings::CancelClicked() {
    std::error_code ignored;
    if (!std::filesystem::exists(LibrarySettingsPath(), ignored))
        ShowErrorMessage("You did not enter any ODBC information!");
    // Leaving without saving counts as cancelled, with or without the
    // library's own settings file.
    CurrentDialogState().Cancelled = true;
    Leave(QDialog::Rejected);
}

void FrmODBCSettings::HelpClicked() {
    OpenDocument(HelpFilePath());
}

void FrmODBCSettings::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
    Skipping([] {
        const char* windows = std::getenv("WINDIR");
        QString program = QString::fromUtf8(windows != nullptr ? windows : "") +
                          QStringLiteral("\\SYSTEM\\QUVEX.EXE");
        program.replace(QLatin1Char('\\'), QLatin1Char('/'));
        if (QFileInfo::exists(program)) QProcess::startDetached(program, {});
    });
}

}  // namespace vendral::detail::qt
