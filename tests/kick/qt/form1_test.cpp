// Prodwell's window driven through its controls, on real databases: what a
// click logs, what the window shows while it runs and how it reports errors.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <fstream>
#include <tuple>

#include "kick.h"
#include "kick/kick_fixture.h"
#include "support/qt/modal_watcher.h"
#include "window/form1.h"

namespace vendral::kick {
namespace {

using test::qt::ClickButton;
using test::qt::MessageBoxRecorder;

using test::kKick;
using test::LogRow;

class Form1Test : public test::KickDataTest {
  protected:
    void SetUp() override {
        KickDataTest::SetUp();
        if (!central_) return;
        AddUsersAndRows();
        settings_ =
            test::TestOdbc::Instance().ScratchPath("form1-" + test::EngineName(engine()) + ".ini");
        std::ofstream(settings_, std::ios::trunc)
            << "[Central]\nDSN=" << central_->Dsn() << "\nUID=" << central_->Uid()
            << "\nPWD=" << central_->Pwd() << "\nDBPrefix=" << central_->Prefix() << "\n";
    }

    std::unique_ptr<Form1> MakeWindow(const std::string& settings = {}) {
        auto window = std::make_unique<Form1>(settings.empty() ? settings_ : settings, [] {
            return std::make_shared<CDatabaseKick>(std::make_shared<CDatabase>());
        });
        window->show();
        return window;
    }

    template <typename T>
    static T* Control(QWidget& window, const char* name) {
        T* control = window.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(control, nullptr) << name;
        return control;
    }

    static void Type(QWidget& window, const char* box, const QString& text) {
        auto* edit = Control<QLineEdit>(window, box);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
    }

    static void Kick(QWidget& window) { ClickButton(Control<QPushButton>(window, "Command1")); }

    std::string settings_;
};

TEST_P(Form1Test, ShowsEveryControlOfTheDesignWithItsInitialContent) {
    auto window = MakeWindow();
    EXPECT_EQ(window->windowTitle(), "Kavelo - Oracle");
    EXPECT_EQ(Control<QLabel>(*window, "Label1")->text(), "Associate ID:");
    EXPECT_EQ(Control<QLineEdit>(*window, "TxtAssociate")->text(), "0");
    EXPECT_EQ(Control<QLabel>(*window, "Label4")->text(),
              "Associate ID 0 Means for all Synchronizer Users");
    EXPECT_EQ(Control<QLabel>(*window, "Label2")->text(), "Kick Date:");
    EXPECT_EQ(Control<QLineEdit>(*window, "TxtKickDate")->text(), "6/8/2008");
    EXPECT_EQ(Control<QCheckBox>(*window, "Check1")->text(), "Skip Tasks");
    EXPECT_EQ(Control<QCheckBox>(*window, "Check1")->checkState(), Qt::Unchecked);
    EXPECT_EQ(Control<QPushButton>(*window, "Command1")->text(), "Kick Synchronizer");
    EXPECT_EQ(Control<QLabel>(*window, "Label3")->text(), "");
    // Opened on load, central connection only.
    EXPECT_TRUE(window->Database().dDatabaseIsRunning());
}

TEST_P(Form1Test, AllUsersWithTasksLogsWhatTheCommandLineLogs) {
    auto window = MakeWindow();
    MessageBoxRecorder boxes;
    Kick(*window);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].Title, "Prodwell");
    EXPECT_EQ(boxes.Boxes()[0].Text, "Inserts for appointments: 2, inserts for tasks: 2");
    std::vector<LogRow> byWindow = SortedLogRows();
    EXPECT_EQ(byWindow, (std::vector<LogRow>{{4608, 15, 9, 102, 0},
                                             {4608, 15, 9, 107, 0},
                                             {4608, 40, 9, 101, 0},
                                             {4608, 41, 9, 106, 0}}));

    // The command line's engine on the same data logs the same rows.
    central_->Exec("DELETE FROM traveltransactionlog");
    CDatabase db;
    db.OpenODBC_DB(settings_, OpenCentral, false);
    KickCounts counts;
    RunKick(db, {0, kKick, false}, counts);
    EXPECT_EQ(SortedLogRows(), byWindow);
    // The tasks phase counts its own rows: three known tasks are due.
    EXPECT_EQ(Control<QLabel>(*window, "Label3")->text(), "3");
}

TEST_P(Form1Test, OneAssociateCarriesTheAssociateCondition) {
    auto window = MakeWindow();
    test::StatementLog statements(
        *static_cast<CDatabaseKick&>(window->Database()).Database().dDatabase());
    Type(*window, "TxtAssociate", "12");
    MessageBoxRecorder boxes;
    Kick(*window);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].Text, "Inserts for appointments: 1, inserts for tasks: 1");
    EXPECT_TRUE(statements.Contains(
        BuildKickStatement(central_->Prefix(), KickPhase::Appointments, 12, kKick)));
    bool conditioned = std::any_of(
        statements.Statements().begin(), statements.Statements().end(), [](const std::string& sql) {
            return sql.find(
                       " and appointment.type in (2,7) and  "
                       "appointment.associate_id = 12 order by") != std::string::npos;
        });
    EXPECT_TRUE(conditioned);
    EXPECT_EQ(SortedLogRows(), (std::vector<LogRow>{{4608, 40, 9, 101, 0}, {4608, 41, 9, 106, 0}}));
}

TEST_P(Form1Test, ACheckedOrGreySkipBoxLeavesTheTasks) {
    auto window = MakeWindow();
    auto* check = Control<QCheckBox>(*window, "Check1");
    check->setFocus();
    QTest::keyClick(check, Qt::Key_Space);
    ASSERT_EQ(check->checkState(), Qt::Checked);
    {
        MessageBoxRecorder boxes;
        Kick(*window);
        ASSERT_EQ(boxes.Boxes().size(), 1u);
        EXPECT_EQ(boxes.Boxes()[0].Text, "Inserts for appointments: 2, inserts for tasks: 0");
    }
    EXPECT_EQ(SortedLogRows().size(), 2u);
    check->setTristate(true);
    check->setCheckState(Qt::PartiallyChecked);
    MessageBoxRecorder boxes;
    Kick(*window);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].Text, "Inserts for appointments: 2, inserts for tasks: 0");
}

TEST_P(Form1Test, NoMatchingRowLogsNothingAndLeavesTheCount) {
    auto window = MakeWindow();
    Type(*window, "TxtKickDate", "1/1/2030");
    MessageBoxRecorder boxes;
    Kick(*window);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].Text, "Inserts for appointments: 0, inserts for tasks: 0");
    EXPECT_EQ(Control<QLabel>(*window, "Label3")->text(), "");
    EXPECT_TRUE(SortedLogRows().empty());
}

TEST_P(Form1Test, TheAssociateIsReadAsANumberFromTheStartOfTheText) {
    auto window = MakeWindow();
    Type(*window, "TxtAssociate", "abc");
    {
        MessageBoxRecorder boxes;
        Kick(*window);
        ASSERT_EQ(boxes.Boxes().size(), 1u);
        // Read as 0: every synchronizer user.
        EXPECT_EQ(boxes.Boxes()[0].Text, "Inserts for appointments: 2, inserts for tasks: 2");
    }
    central_->Exec("DELETE FROM traveltransactionlog");
    Type(*window, "TxtAssociate", "15abc");
    MessageBoxRecorder boxes;
    Kick(*window);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].Text, "Inserts for appointments: 1, inserts for tasks: 1");
    EXPECT_EQ(SortedLogRows(), (std::vector<LogRow>{{4608, 15, 9, 102, 0}, {4608, 15, 9, 107, 0}}));
}

TEST_P(Form1Test, TheCountShowsWhileTheRowsGoBy) {
    auto window = MakeWindow();
    auto* label = Control<QLabel>(*window, "Label3");
    // Events run after every logged row: what the label shows then is what
    // the user sees during the run.
    std::vector<QString> seen;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (window->Running()) seen.push_back(label->text());
    });
    watch.start(0);
    MessageBoxRecorder boxes;
    Kick(*window);
    watch.stop();
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    // Appointments: rows 101, 102, 103 (ordered by id), logged at 101 and 102.
    // Tasks: 106, 107, 108, logged at 106 and 107.
    EXPECT_NE(std::find(seen.begin(), seen.end(), QString()), seen.end());
    EXPECT_NE(std::find(seen.begin(), seen.end(), QStringLiteral("1")), seen.end());
    EXPECT_NE(std::find(seen.begin(), seen.end(), QStringLiteral("3")), seen.end());
}

TEST_P(Form1Test, ASecondClickDuringARunStartsNothing) {
    auto window = MakeWindow();
    auto* button = Control<QPushButton>(*window, "Command1");
    int clicksDuringRun = 0;
    QTimer clicker;
    QObject::connect(&clicker, &QTimer::timeout, [&] {
        if (window->Running() && clicksDuringRun < 3 &&
            QApplication::activeModalWidget() == nullptr) {
            ++clicksDuringRun;
            ClickButton(button);
        }
    });
    clicker.start(0);
    MessageBoxRecorder boxes;
    Kick(*window);
    clicker.stop();
    EXPECT_GT(clicksDuringRun, 0);
    EXPECT_TRUE(button->isEnabled());
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(SortedLogRows().size(), 4u);
}

TEST_P(Form1Test, ADatabaseErrorIsReportedAndTheWindowStaysUsable) {
    auto window = MakeWindow();
    // The log refuses record 102, the second row to be logged.
    central_->Exec("DROP TABLE traveltransactionlog");
    central_->Exec(
        "CREATE TABLE traveltransactionlog (traveltransactionlog_id INTEGER PRIMARY KEY, ttime "
        "BIGINT NOT NULL, prev_record_id INTEGER NOT NULL, type INTEGER NOT NULL, associate_id "
        "INTEGER NOT NULL, tablenumber INTEGER NOT NULL, record_id INTEGER NOT NULL CHECK "
        "(record_id <> 102))");
    {
        MessageBoxRecorder boxes;
        Kick(*window);
        ASSERT_EQ(boxes.Boxes().size(), 1u);
        EXPECT_EQ(boxes.Boxes()[0].Title, "Error");
        EXPECT_EQ(boxes.Boxes()[0].Icon, QMessageBox::Warning);
        EXPECT_TRUE(boxes.Boxes()[0].Text.startsWith("A database error stopped the kick: "))
            << boxes.Boxes()[0].Text.toStdString();
        EXPECT_TRUE(boxes.Boxes()[0].Text.endsWith(
            "Logged before the error: Inserts for appointments: 1, inserts for tasks: 0."))
            << boxes.Boxes()[0].Text.toStdString();
    }
    EXPECT_FALSE(window->Running());
    EXPECT_EQ(SortedLogRows(), (std::vector<LogRow>{{4608, 40, 9, 101, 0}}));
    // Skipping 102 by date, the next run goes through.
    Type(*window, "TxtAssociate", "12");
    MessageBoxRecorder boxes;
    Kick(*window);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].Text, "Inserts for appointments: 1, inserts for tasks: 1");
}

TEST_P(Form1Test, AnUnreadableDateIsReportedAndNothingIsLogged) {
    auto window = MakeWindow();
    Type(*window, "TxtKickDate", "someday");
    MessageBoxRecorder boxes;
    Kick(*window);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].Title, "Error");
    EXPECT_TRUE(boxes.Boxes()[0].Text.startsWith("The kick date \"someday\" cannot be read"));
    EXPECT_TRUE(SortedLogRows().empty());
}

TEST_P(Form1Test, WithoutAConnectionARunSaysSo) {
    std::string missing = test::TestOdbc::Instance().ScratchPath("form1-missing.ini");
    std::remove(missing.c_str());
    std::unique_ptr<Form1> window;
    {
        // The settings dialog of the missing file is cancelled.
        test::qt::ModalWatcher cancel([](QWidget* modal) {
            if (auto* cancelButton = modal->findChild<QPushButton*>("BtnCancel")) {
                ClickButton(cancelButton);
            } else {
                modal->close();
            }
            return true;
        });
        MessageBoxRecorder ignored;
        window = MakeWindow(missing);
    }
    ASSERT_FALSE(window->Database().dDatabaseIsRunning());
    MessageBoxRecorder boxes;
    Kick(*window);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].Title, "Error");
    EXPECT_TRUE(
        boxes.Boxes()[0].Text.startsWith("There is no open connection to the central database."));
}

VENDRAL_INSTANTIATE_ENGINES(Form1Test);

}  // namespace
}  // namespace vendral::kick
