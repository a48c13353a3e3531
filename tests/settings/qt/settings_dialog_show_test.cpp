// The settings dialog shown modally through the Qt host: by ShowODBCSettings,
// by OpenODBC_DB when the settings file is missing, and the ways in and out
// of it (Save and Cancel only, the help file, the double click).
#include <QPushButton>
#include <QTimer>

#include "data/opening_support.h"
#include "settings/qt/dialog_support.h"
#include "settings/qt/settings_dialog_host.h"

namespace vendral::test::qt {
namespace {

using vendral::qt::FrmODBCSettings;

// Acts once on the settings dialog when it shows modally; message boxes are
// left to a MessageBoxRecorder.
class DialogActor {
  public:
    explicit DialogActor(std::function<void(FrmODBCSettings*)> action)
        : watcher_([this, action](QWidget* modal) {
              auto* dialog = qobject_cast<FrmODBCSettings*>(modal);
              if (dialog == nullptr) return true;
              ++Showings;
              action(dialog);
              return false;
          }) {}
    int Showings = 0;

  private:
    ModalWatcher watcher_;
};

void Click(FrmODBCSettings* dialog, const char* name) {
    ClickButton(Find<QPushButton>(dialog, name));
}

class DialogShowing : public ::testing::Test {
  protected:
    void SetUp() override { file_ = FreshSettingsPath(); }
    ScopedQtHost host_;
    ScratchLibraryFolder library_;
    std::string file_;
};

TEST_F(DialogShowing, ShowODBCSettingsShowsTheRestartMessageAfterCancel) {
    DialogActor actor([](FrmODBCSettings* dialog) { Click(dialog, "BtnCancel"); });
    MessageBoxRecorder boxes;
    CDatabase db;
    EXPECT_TRUE(db.ShowODBCSettings(file_, OpenCentral).IsEmpty());
    EXPECT_EQ(actor.Showings, 1);
    ASSERT_EQ(boxes.Boxes().size(), 2u);
    EXPECT_EQ(boxes.Boxes()[0].Text, "You did not enter any ODBC information!");
    EXPECT_EQ(boxes.Boxes()[1].Title, "Message");
    EXPECT_EQ(boxes.Boxes()[1].Icon, QMessageBox::Information);
    EXPECT_EQ(boxes.Boxes()[1].Text,
              "The program must be restarted before changes will take effect!");
    EXPECT_FALSE(std::filesystem::exists(file_));
}

TEST_F(DialogShowing, ShowODBCSettingsPassesModeAndServerFieldsAndSaves) {
    int mode = 0;
    bool serverShown = false;
    DialogActor actor([&](FrmODBCSettings* dialog) {
        mode = CurrentDialogState().Mode;
        serverShown = !Find(dialog, "TxtLocalServer")->isHidden();
        TypeInto(Find<QLineEdit>(dialog, "TxtLocalUID"), "traveller");
        TypeInto(Find<QLineEdit>(dialog, "TxtLocalServer"), "laptop");
        TypeInto(Find<QLineEdit>(dialog, "TxtLocalDatabase"), "crm");
        Click(dialog, "BtnSave");
    });
    MessageBoxRecorder boxes;
    CDatabase db;
    db.ShowODBCSettings(file_, OpenLocal, true);
    EXPECT_EQ(mode, 2);
    EXPECT_TRUE(serverShown);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].Text,
              "The program must be restarted before changes will take effect!");
    EXPECT_EQ(IniValue(file_, "Local", "UID"), "traveller");
    EXPECT_EQ(IniValue(file_, "Local", "ServerName"), "laptop");
    EXPECT_EQ(SettingsFilePath(), file_);
}

TEST_F(DialogShowing, EscapeAndTheWindowManagersCloseDoNotLeaveTheDialog) {
    bool visibleAfterEscape = false, visibleAfterClose = false, visibleAfterAltF4 = false;
    Qt::WindowFlags flags;
    SetDialogState(file_, 3, 0);
    DialogActor actor([&](FrmODBCSettings* dialog) {
        flags = dialog->windowFlags();
        QTest::keyClick(dialog, Qt::Key_Escape);
        visibleAfterEscape = dialog->isVisible();
        QTest::keyClick(dialog, Qt::Key_F4, Qt::AltModifier);
        visibleAfterAltF4 = dialog->isVisible();
        // What the window manager's close sends the window.
        dialog->close();
        visibleAfterClose = dialog->isVisible();
        Click(dialog, "BtnCancel");
    });
    MessageBoxRecorder boxes;
    vendral::qt::RunSettingsDialog();
    EXPECT_EQ(actor.Showings, 1);
    EXPECT_TRUE(visibleAfterEscape);
    EXPECT_TRUE(visibleAfterAltF4);
    EXPECT_TRUE(visibleAfterClose);
    EXPECT_FALSE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_TRUE(flags.testFlag(Qt::CustomizeWindowHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowTitleHint));
    EXPECT_FALSE(vendral::qt::SettingsDialog().isVisible());
}

TEST_F(DialogShowing, TheInstanceIsKeptAndLoadedAgainAtEachShowing) {
    WriteBytes(file_, "[Central]\nUID=first\n");
    SetDialogState(file_, 1, 0);
    QString first, second;
    {
        DialogActor actor([&](FrmODBCSettings* dialog) {
            first = Find<QLineEdit>(dialog, "TxtCentralUID")->text();
            TypeInto(Find<QLineEdit>(dialog, "TxtCentralUID"), "typed");
            Click(dialog, "BtnCancel");
        });
        MessageBoxRecorder boxes;
        vendral::qt::RunSettingsDialog();
    }
    FrmODBCSettings* kept = &vendral::qt::SettingsDialog();
    WriteIniValue("Central", "UID", "second", file_);
    {
        DialogActor actor([&](FrmODBCSettings* dialog) {
            EXPECT_EQ(dialog, kept);
            second = Find<QLineEdit>(dialog, "TxtCentralUID")->text();
            Click(dialog, "BtnCancel");
        });
        MessageBoxRecorder boxes;
        vendral::qt::RunSettingsDialog();
    }
    EXPECT_EQ(first, "first");
    EXPECT_EQ(second, "second");
}

TEST_F(DialogShowing, HelpOpensTheHelpFileThroughTheDesktopOpener) {
    library_.PutHelpFile();
    // A stand-in for the desktop's opener that notes what it was given.
    const std::string bin = library_.Path() + "/bin";
    const std::string noted = library_.Path() + "/opened.txt";
    std::filesystem::create_directories(bin);
    WriteBytes(bin + "/xdg-open",
               "#!/bin/sh\nprintf '%s|%s' \"$1\" \"$(pwd)\" > '" + noted + "'\n");
    std::filesystem::permissions(bin + "/xdg-open", std::filesystem::perms::owner_all);
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QByteArray::fromStdString(bin) + ":" + path);
    SetDialogState(file_, 3, 0);
    DialogActor actor([](FrmODBCSettings* dialog) {
        Click(dialog, "BtnHelp");
        Click(dialog, "BtnCancel");
    });
    MessageBoxRecorder boxes;
    vendral::qt::RunSettingsDialog();
    qputenv("PATH", path);
    EXPECT_TRUE(
        WaitUntil([&] { return std::filesystem::exists(noted) && !ReadBytes(noted).empty(); }));
    EXPECT_EQ(ReadBytes(noted), library_.Path() + "/vendralhlp.mht|/");
}

TEST_F(DialogShowing, DoubleClickOnTheBackgroundStartsTheProgramUnderWindir) {
    const std::string windir = library_.Path() + "/windows";
    const std::string started = library_.Path() + "/started.txt";
    std::filesystem::create_directories(windir + "/SYSTEM");
    WriteBytes(windir + "/SYSTEM/QUVEX.EXE", "#!/bin/sh\necho started > '" + started + "'\n");
    std::filesystem::permissions(windir + "/SYSTEM/QUVEX.EXE", std::filesystem::perms::owner_all);
    const QByteArray before = qgetenv("WINDIR");
    qputenv("WINDIR", QByteArray::fromStdString(windir));
    SetDialogState(file_, 3, 0);
    DialogActor actor([](FrmODBCSettings* dialog) {
        // Right of the frame, below the buttons: the form itself.
        QTest::mouseDClick(dialog, Qt::LeftButton, Qt::NoModifier, QPoint(400, 250));
        Click(dialog, "BtnCancel");
    });
    MessageBoxRecorder boxes;
    vendral::qt::RunSettingsDialog();
    qputenv("WINDIR", before);
    EXPECT_TRUE(WaitUntil([&] { return std::filesystem::exists(started); }));
    EXPECT_EQ(ReadBytes(started), "started\n");
}

TEST_F(DialogShowing, DoubleClickWithoutTheProgramDoesNothing) {
    const QByteArray before = qgetenv("WINDIR");
    qputenv("WINDIR", QByteArray::fromStdString(library_.Path() + "/nowhere"));
    SetDialogState(file_, 1, 0);
    bool visible = false;
    DialogActor actor([&](FrmODBCSettings* dialog) {
        QTest::mouseDClick(dialog, Qt::LeftButton, Qt::NoModifier, QPoint(400, 150));
        visible = dialog->isVisible();
        Click(dialog, "BtnCancel");
    });
    MessageBoxRecorder boxes;
    vendral::qt::RunSettingsDialog();
    qputenv("WINDIR", before);
    EXPECT_TRUE(visible);
    ASSERT_EQ(boxes.Boxes().size(), 1u);  // only Cancel's message
}

class OpeningThroughTheDialog : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        // A skipped or failed engine leaves no database to set up.
        if (!central_) return;
        file_ = FreshSettingsPath();
    }
    ScopedQtHost host_;
    ScratchLibraryFolder library_;
    std::string file_;
};

TEST_P(OpeningThroughTheDialog, MissingFileShowsTheDialogAndItsSettingsOpenTheConnection) {
    const std::string uid = central_->Uid().empty() ? "crm" : central_->Uid();
    const std::string prefix = central_->Prefix().substr(0, central_->Prefix().size() - 1);
    DialogActor actor([&](FrmODBCSettings* dialog) {
        SelectByKeys(Find<QComboBox>(dialog, "CBCentralDSN"),
                     QString::fromStdString(central_->Dsn()));
        TypeInto(Find<QLineEdit>(dialog, "TxtCentralUID"), QString::fromStdString(uid));
        TypeInto(Find<QLineEdit>(dialog, "TxtCentralPWD"), QString::fromStdString(central_->Pwd()));
        TypeInto(Find<QLineEdit>(dialog, "TxtPrefixNetwork"), QString::fromStdString(prefix));
        Click(dialog, "BtnSave");
    });
    MessageBoxRecorder boxes;
    CDatabase db;
    Variant result = db.OpenODBC_DB(file_, OpenCentral);
    EXPECT_EQ(actor.Showings, 1);
    EXPECT_TRUE(boxes.Boxes().empty()) << boxes.Boxes().front().Text.toStdString();
    ASSERT_EQ(result.Type(), VariantType::Boolean);
    EXPECT_TRUE(result.ToBool());
    EXPECT_TRUE(db.dDatabaseIsRunning());
    EXPECT_EQ(db.CentralDSN(), central_->Dsn());
    EXPECT_EQ(IniValue(file_, "Central", "DSN"), central_->Dsn());
    // The connection reaches the test database through the saved prefix.
    EXPECT_EQ(db.CountRecords("Sequence").ToLong(),
              central_->Scalar("select count(*) from Sequence").ToLong());
    EXPECT_GT(db.CountRecords("Sequence").ToLong(), 0);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_P(OpeningThroughTheDialog, CancellingTheDialogOpensNothing) {
    DialogActor actor([](FrmODBCSettings* dialog) { Click(dialog, "BtnCancel"); });
    MessageBoxRecorder boxes;
    CDatabase db;
    Variant result = db.OpenODBC_DB(file_, Central_Local, true);
    EXPECT_EQ(actor.Showings, 1);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].Text, "You did not enter any ODBC information!");
    ASSERT_EQ(result.Type(), VariantType::Boolean);
    EXPECT_FALSE(result.ToBool());
    EXPECT_FALSE(db.dDatabaseIsRunning());
    EXPECT_FALSE(std::filesystem::exists(file_));
}

VENDRAL_INSTANTIATE_ENGINES(OpeningThroughTheDialog);

}  // namespace
}  // namespace vendral::test::qt
