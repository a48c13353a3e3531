#include "window/form1.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>
#include <exception>
#include <stdexcept>

#include "associate_text.h"
#include "command_line.h"
#include "kick_date.h"
#include "vendral/connection.h"
#include "vendral/widgets/qt_ui_host.h"

// Q_INIT_RESOURCE names a function of the global namespace.
static void InitProdwellResources() {
    Q_INIT_RESOURCE(prodwell);
}

namespace vendral::kick {
namespace {

// The window's initial kick date (8 June 2008), in month/day/year.
constexpr const char* kInitialKickDate = "6/8/2008";
constexpr const char* kMonthDayYear = "%m/%d/%Y";

QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The kick date in the locale's short date format, else month/day/year (the
// form the window starts with) or ISO 8601.
std::optional<std::int32_t> ReadKickDate(const std::string& text) {
    if (auto time = ParseKickDate(text, LocaleShortDateFormat())) return time;
    return ParseKickDate(text, kMonthDayYear);
}

// The program's title, which its own message boxes carry.
QString ProgramTitle() {
    return QStringLiteral("Prodwell");
}

}  // namespace

Form1::Form1(std::string settingsFile, const DatabaseFactory& makeDatabase, QWidget* parent)
    : QWidget(parent), settingsFile_(std::move(settingsFile)) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Kavelo - Oracle"));

    label1_ = new QLabel(QStringLiteral("Associate ID:"), this);
    label1_->setObjectName(QStringLiteral("Label1"));
    txtAssociate_ = new QLineEdit(QStringLiteral("0"), this);
    txtAssociate_->setObjectName(QStringLiteral("TxtAssociate"));
    label4_ = new QLabel(QStringLiteral("Associate ID 0 Means for all Synchronizer Users"), this);
    label4_->setObjectName(QStringLiteral("Label4"));
    label2_ = new QLabel(QStringLiteral("Kick Date:"), this);
    label2_->setObjectName(QStringLiteral("Label2"));
    txtKickDate_ = new QLineEdit(QString::fromLatin1(kInitialKickDate), this);
    txtKickDate_->setObjectName(QStringLiteral("TxtKickDate"));
    check1_ = new QCheckBox(QStringLiteral("Skip Tasks"), this);
    check1_->setObjectName(QStringLiteral("Check1"));
    command1_ = new QPushButton(QStringLiteral("Kick Synchronizer"), this);
    command1_->setObjectName(QStringLiteral("Command1"));
    label3_ = new QLabel(this);
    label3_->setObjectName(QStringLiteral("Label3"));

    label1_->setBuddy(txtAssociate_);
    label2_->setBuddy(txtKickDate_);
    label4_->setEnabled(true);
    label4_->setStyleSheet(QStringLiteral("color: palette(mid);"));

    // Layout in font-relative units, so that the window grows with the
    // screen's resolution and font size.
    auto* grid = new QGridLayout;
    grid->addWidget(label1_, 0, 0);
    grid->addWidget(txtAssociate_, 0, 1);
    grid->addWidget(label4_, 1, 1);
    grid->addWidget(label2_, 2, 0);
    grid->addWidget(txtKickDate_, 2, 1);
    grid->addWidget(check1_, 3, 1);
    grid->setColumnStretch(1, 1);
    auto* column = new QVBoxLayout(this);
    column->addLayout(grid);
    column->addSpacing(fontMetrics().height() / 2);
    column->addWidget(command1_);
    column->addWidget(label3_);
    int minimumWidth = fontMetrics().horizontalAdvance(label4_->text()) +
                       fontMetrics().horizontalAdvance(label1_->text()) +
                       fontMetrics().averageCharWidth() * 8;
    setMinimumWidth(minimumWidth);
    setTabOrder(txtAssociate_, txtKickDate_);
    setTabOrder(txtKickDate_, check1_);
    setTabOrder(check1_, command1_);

    connect(command1_, &QPushButton::clicked, this, [this] { Command1_Click(); });

    database_ = makeDatabase();
    if (SettingsFileReadOnly(settingsFile_)) {
        ShowError(QStringLiteral("The settings file %1 cannot be written. Its settings are used as "
                                 "they are; what the program would store there is not stored.")
                      .arg(FromUtf8(settingsFile_)));
    }
    database_->OpenODBC_DB(settingsFile_, OpenCentral, false);
}

Form1::~Form1() = default;

void Form1::Command1_Click() {
    // Pending events run after every logged row, so a click can arrive while a
    // run goes on; a second run inside the first would re-enter the CDatabase
    // object while its query runs.
    if (running_) return;
    running_ = true;
    try {
        RunOnce();
    } catch (...) {
        running_ = false;
        throw;
    }
    running_ = false;
}

bool Form1::ReadRequest(KickRequest& request) {
    try {
        request.AssociateID = ParseAssociateText(txtAssociate_->text().toStdString()).AssociateID;
    } catch (const std::out_of_range&) {
        ShowError(
            QStringLiteral("The associate ID \"%1\" is too large.").arg(txtAssociate_->text()));
        return false;
    }
    std::optional<std::int32_t> kickTime = ReadKickDate(txtKickDate_->text().toStdString());
    if (!kickTime) {
        QString forms = QStringLiteral("M/D/YYYY or YYYY-MM-DD");
        if (std::string local = DescribeDateFormat(LocaleShortDateFormat()); !local.empty())
            forms = FromUtf8(local) + QStringLiteral(", ") + forms;
        ShowError(QStringLiteral("The kick date \"%1\" cannot be read; type it as %2.")
                      .arg(txtKickDate_->text(), forms));
        return false;
    }
    request.KickTime = *kickTime;
    // A checked or grey box skips the tasks.
    request.SkipTasks = check1_->checkState() != Qt::Unchecked;
    return true;
}

void Form1::RunOnce() {
    KickRequest request;
    if (!ReadRequest(request)) return;
    if (!database_->dDatabaseIsRunning()) {
        ShowError(QStringLiteral("There is no open connection to the central database. Check "
                                 "the settings file %1 and start the program again.")
                      .arg(FromUtf8(settingsFile_)));
        return;
    }
    KickCounts counts;
    try {
        RunKick(*database_, request, counts, [this](KickPhase, std::int32_t rowsLookedAt) {
            label3_->setText(QString::number(rowsLookedAt));
        });
    } catch (const std::exception& error) {
        const auto* database = dynamic_cast<const DatabaseError*>(&error);
        QString cause = database != nullptr ? QStringLiteral("A database error stopped the kick: ")
                                            : QStringLiteral("The kick stopped: ");
        ShowError(cause + FromUtf8(error.what()) +
                  QStringLiteral("\r\n\r\nLogged before the error: ") +
                  FromUtf8(CountsMessage(counts)) + QStringLiteral("."));
        return;
    }
    QMessageBox done(QMessageBox::NoIcon, ProgramTitle(), FromUtf8(CountsMessage(counts)),
                     QMessageBox::Ok, this);
    done.setObjectName(QStringLiteral("KickDoneBox"));
    done.exec();
}

void Form1::ShowError(const QString& text) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Error"), text, QMessageBox::Ok, this);
    box.exec();
}

int RunWindow(int& argc, char** argv, const std::string& settingsFile,
              const DatabaseFactory& makeDatabase) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Prodwell"));
    // The icon lives in this static library, whose resources nobody else
    // registers.
    InitProdwellResources();
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/prodwell/prodwell.svg")));
    // The widget library's host shows the library's boxes, the busy pointer,
    // the settings dialog and the events of a run. Installed here by name, so
    // that no linker drops the widget library as unused.
    InstallQtUiHost();
    std::unique_ptr<Form1> window;
    try {
        window = std::make_unique<Form1>(settingsFile, makeDatabase);
    } catch (const std::exception& error) {
        // The class could not be created (a registration whose library is
        // gone, for instance): there is no window to work in.
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Error"), FromUtf8(error.what()),
                        QMessageBox::Ok);
        box.exec();
        return 1;
    }
    window->show();
    return QApplication::exec();
}

}  // namespace vendral::kick
