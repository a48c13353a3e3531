// The settings dialog's controls, captions, look, tab order and the layout of
// every mode, at the 15 twips per pixel of a 96-dpi screen.
#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include "base/qt/twips.h"
#include "settings/qt/dialog_support.h"

namespace vendral::test::qt {
namespace {

using vendral::qt::FrmODBCSettings;

class DialogLayout : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(vendral::qt::TwipsPerPixelX(), 15);
        ASSERT_EQ(vendral::qt::TwipsPerPixelY(), 15);
        file_ = FreshSettingsPath();
    }
    void LoadFor(int mode, int askServer) {
        SetDialogState(file_, mode, askServer);
        dialog_.Load();
    }
    bool Shown(const char* name) { return !Find(&dialog_, name)->isHidden(); }
    int Top(const char* name) { return Find(&dialog_, name)->y(); }
    int FrameHeight() { return Find(&dialog_, "Frame1")->height(); }

    ScratchLibraryFolder library_;
    std::string file_;
    FrmODBCSettings dialog_;
};

TEST_F(DialogLayout, ControlsCarryTheirNamesCaptionsAndKinds) {
    LoadFor(3, 0);
    EXPECT_EQ(dialog_.windowTitle(), "ODBC Settings");
    const std::pair<const char*, const char*> buttons[] = {
        {"BtnTest", "&Test"}, {"BtnSave", "&Save"}, {"BtnCancel", "&Cancel"}, {"BtnHelp", "&Help"}};
    for (auto [name, caption] : buttons)
        EXPECT_EQ(Find<QPushButton>(&dialog_, name)->text(), caption);
    const std::pair<const char*, const char*> labels[] = {{"Label1(0)", "First ODBC Connection"},
                                                          {"Label1(1)", "ODBC entry driver"},
                                                          {"Label1(2)", "UserID:"},
                                                          {"Label1(3)", "Password:"},
                                                          {"Label1(4)", "Servername:"},
                                                          {"Label1(5)", "Databasename:"},
                                                          {"Label1(6)", "Database Prefix"},
                                                          {"Label1(7)", "Database Prefix"},
                                                          {"Label2(0)", "Second ODBC Entry"},
                                                          {"Label2(1)", "ODBC entry driver"},
                                                          {"Label2(2)", "UserID:"},
                                                          {"Label2(3)", "Password:"},
                                                          {"Label2(4)", "Servername:"},
                                                          {"Label2(5)", "Databasename:"}};
    for (auto [name, caption] : labels) {
        auto* label = Find<QLabel>(&dialog_, name);
        EXPECT_EQ(label->text(), caption) << name;
        EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(128, 128, 128)) << name;
        EXPECT_EQ(label->parentWidget()->objectName(), "Frame1") << name;
    }
    for (const char* name : {"CBCentralType", "CBLocalType"}) {
        EXPECT_EQ(Items(Find<QComboBox>(&dialog_, name)),
                  (QStringList{"Microsoft Acces", "Sybase SQL Anywhere", "Microsoft SQL Server",
                               "Oracle"}));
    }
    for (const char* name : {"TxtCentralPWD", "TxtLocalPWD"}) {
        auto* box = Find<QLineEdit>(&dialog_, name);
        EXPECT_EQ(box->echoMode(), QLineEdit::Password);
        EXPECT_EQ(box->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, box),
                  '*');
    }
    EXPECT_EQ(Find<QLabel>(&dialog_, "LblVersion")->text(),
              "Vendral CRM database components 0.1.0");
    EXPECT_FALSE(Shown("LblVersion"));
    EXPECT_FALSE(Shown("Label3"));
    EXPECT_EQ(Find<QLabel>(&dialog_, "Image2")->pixmap().size(), QSize(85, 74));
}

TEST_F(DialogLayout, FormIsLightBlueTheFrameWhiteAndTahomaIsRequested) {
    LoadFor(3, 0);
    EXPECT_EQ(dialog_.palette().color(QPalette::Window), QColor(232, 239, 245));
    EXPECT_TRUE(dialog_.autoFillBackground());
    auto* frame = Find<QFrame>(&dialog_, "Frame1");
    EXPECT_EQ(frame->palette().color(QPalette::Window), QColor(Qt::white));
    EXPECT_TRUE(frame->autoFillBackground());
    EXPECT_EQ(frame->font().family(), QApplication::font().family());
    for (const char* name : {"BtnSave", "Label1(0)", "TxtCentralUID", "CBLocalDSN"}) {
        QFont font = Find(&dialog_, name)->font();
        EXPECT_EQ(font.family(), "Tahoma") << name;
        EXPECT_DOUBLE_EQ(font.pointSizeF(), 8.25) << name;
    }
}

TEST_F(DialogLayout, TabOrderFollowsTheDesign) {
    LoadFor(3, 1);
    library_.PutHelpFile();
    LoadFor(3, 1);
    dialog_.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog_));
    const QStringList order{"CBCentralDSN",
                            "TxtCentralUID",
                            "TxtCentralPWD",
                            "TxtCentralServer",
                            "TxtCentralDatabase",
                            "CBLocalDSN",
                            "BtnCancel",
                            "BtnSave",
                            "BtnTest",
                            "TxtPrefixNetwork",
                            "TxtPrefixLocal",
                            "BtnHelp",
                            "TxtLocalUID",
                            "TxtLocalPWD",
                            "TxtLocalDatabase",
                            "TxtLocalServer"};
    Find(&dialog_, "CBCentralDSN")->setFocus(Qt::OtherFocusReason);
    QStringList seen;
    for (int i = 0; i < order.size(); ++i) {
        seen << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    // The hidden type lists are passed over; after the last box focus starts again.
    EXPECT_EQ(seen, order);
    EXPECT_EQ(QApplication::focusWidget()->objectName(), "CBCentralDSN");
    dialog_.hide();
}

TEST_F(DialogLayout, BothConnectionsUseTheFullHeightWithoutServerFields) {
    LoadFor(3, 0);
    EXPECT_EQ(dialog_.size(), QSize(420, 384));  // 6300 x (6150 - 390) twips
    EXPECT_EQ(FrameHeight(), 353);               // 5295 twips
    for (const char* name : {"CBCentralDSN", "TxtCentralUID", "TxtCentralPWD", "CBLocalDSN",
                             "TxtLocalUID", "TxtLocalPWD", "TxtPrefixNetwork", "TxtPrefixLocal",
                             "Label1(7)", "Label2(0)", "BtnTest", "BtnSave", "BtnCancel"})
        EXPECT_TRUE(Shown(name)) << name;
    for (const char* name : {"Label1(4)", "Label1(5)", "TxtCentralServer", "TxtCentralDatabase",
                             "Label2(4)", "Label2(5)", "TxtLocalServer", "TxtLocalDatabase",
                             "CBCentralType", "CBLocalType", "Label1(1)", "Label2(1)", "BtnHelp"})
        EXPECT_FALSE(Shown(name)) << name;
    EXPECT_EQ(Top("CBLocalDSN"), 192);   // 2880 twips
    EXPECT_EQ(Top("TxtLocalUID"), 280);  // 4200 twips
    EXPECT_EQ(Top("BtnTest"), 88);       // 1320 twips
}

TEST_F(DialogLayout, BothConnectionsWithServerFieldsShowAllFour) {
    library_.PutHelpFile();
    LoadFor(5, 1);
    EXPECT_EQ(dialog_.size(), QSize(420, 384));
    for (const char* name :
         {"Label1(4)", "Label1(5)", "TxtCentralServer", "TxtCentralDatabase", "Label2(4)",
          "Label2(5)", "TxtLocalServer", "TxtLocalDatabase", "BtnHelp"})
        EXPECT_TRUE(Shown(name)) << name;
    EXPECT_FALSE(Shown("CBCentralType"));
    EXPECT_EQ(Top("TxtLocalServer"), 320);  // 4800 twips
    EXPECT_EQ(Top("BtnHelp"), 320);
}

TEST_F(DialogLayout, CentralOnlyIsCompactAndHidesTheLocalBlock) {
    library_.PutHelpFile();
    LoadFor(1, 0);
    EXPECT_EQ(dialog_.size(), QSize(420, 164));  // (2850 - 390) twips high
    EXPECT_EQ(FrameHeight(), 145);               // 2175 twips
    for (const char* name :
         {"CBCentralDSN", "TxtCentralUID", "TxtCentralPWD", "Label1(0)", "Label1(2)", "Label1(3)",
          "Label1(6)", "TxtPrefixNetwork", "BtnTest", "BtnSave", "BtnCancel"})
        EXPECT_TRUE(Shown(name)) << name;
    for (const char* name :
         {"CBLocalDSN", "TxtLocalUID", "TxtLocalPWD", "TxtCentralServer", "Label2(0)", "Label2(3)",
          "Label2(5)", "Label1(4)", "Label1(5)", "Label1(7)", "CBCentralType"})
        EXPECT_FALSE(Shown(name)) << name;
    // Help has no room in the compact window.
    EXPECT_FALSE(Shown("BtnHelp"));
    for (const char* name : {"BtnTest", "BtnSave", "BtnCancel"}) {
        QWidget* button = Find(&dialog_, name);
        EXPECT_LE(button->geometry().bottom(), dialog_.height()) << name;
    }
}

TEST_F(DialogLayout, CentralOnlyWithServerFieldsKeepsEveryButtonInside) {
    library_.PutHelpFile();
    LoadFor(1, 1);
    EXPECT_EQ(dialog_.size(), QSize(420, 190));  // (3240 - 390) twips high
    EXPECT_EQ(FrameHeight(), 185);               // 2775 twips
    for (const char* name :
         {"Label1(4)", "Label1(5)", "TxtCentralServer", "TxtCentralDatabase", "BtnHelp"})
        EXPECT_TRUE(Shown(name)) << name;
    EXPECT_FALSE(Shown("TxtLocalServer"));
    EXPECT_EQ(Top("BtnTest"), 88);
    EXPECT_EQ(Top("BtnSave"), 112);
    EXPECT_EQ(Top("BtnCancel"), 136);
    EXPECT_EQ(Top("BtnHelp"), 160);  // 2400 twips
    for (const char* name : {"BtnTest", "BtnSave", "BtnCancel", "BtnHelp"})
        EXPECT_LT(Find(&dialog_, name)->geometry().bottom(), dialog_.height()) << name;
}

TEST_F(DialogLayout, LocalOnlyMovesTheLocalBlockUp) {
    LoadFor(2, 0);
    EXPECT_EQ(dialog_.size(), QSize(420, 164));
    EXPECT_EQ(Top("Label2(0)"), 16);    // 240 twips
    EXPECT_EQ(Top("CBLocalDSN"), 32);   // 480 twips
    EXPECT_EQ(Top("Label2(1)"), 56);    // 840 twips
    EXPECT_EQ(Top("CBLocalType"), 72);  // 1080 twips
    EXPECT_EQ(Top("Label2(2)"), 96);    // 1440 twips
    EXPECT_EQ(Top("Label2(3)"), 96);
    EXPECT_EQ(Top("TxtLocalUID"), 112);  // 1680 twips
    EXPECT_EQ(Top("TxtLocalPWD"), 112);
    for (const char* name : {"CBLocalDSN", "TxtLocalUID", "TxtLocalPWD", "Label2(0)", "Label1(6)",
                             "TxtPrefixNetwork", "Label1(7)", "TxtPrefixLocal"})
        EXPECT_TRUE(Shown(name)) << name;
    for (const char* name : {"CBCentralDSN", "TxtCentralUID", "TxtCentralPWD", "Label1(0)",
                             "Label1(3)", "Label2(4)", "TxtLocalServer", "CBLocalType"})
        EXPECT_FALSE(Shown(name)) << name;
    // The prefixes keep their places.
    EXPECT_EQ(Top("TxtPrefixNetwork"), 32);
    EXPECT_EQ(Top("TxtPrefixLocal"), 192);
}

TEST_F(DialogLayout, LocalOnlyWithServerFieldsPutsThemBelowTheUserId) {
    LoadFor(2, 1);
    EXPECT_EQ(dialog_.size(), QSize(420, 190));
    EXPECT_EQ(FrameHeight(), 185);
    EXPECT_EQ(Top("Label2(4)"), 136);  // 2040 twips
    EXPECT_EQ(Top("Label2(5)"), 136);
    EXPECT_EQ(Top("TxtLocalServer"), 152);  // 2280 twips
    EXPECT_EQ(Top("TxtLocalDatabase"), 152);
    for (const char* name : {"Label2(4)", "Label2(5)", "TxtLocalServer", "TxtLocalDatabase"})
        EXPECT_TRUE(Shown(name)) << name;
    EXPECT_FALSE(Shown("TxtCentralServer"));
}

TEST_F(DialogLayout, AnotherModeKeepsTheDesignAndEveryShowingStartsFromIt) {
    LoadFor(2, 1);
    LoadFor(0, 0);
    EXPECT_EQ(dialog_.size(), QSize(420, 384));
    EXPECT_EQ(Top("CBLocalDSN"), 192);
    EXPECT_EQ(Top("TxtLocalServer"), 320);
    // As designed: the server fields show, the local list stays hidden.
    EXPECT_TRUE(Shown("TxtCentralServer"));
    EXPECT_TRUE(Shown("TxtCentralUID"));
    EXPECT_FALSE(Shown("CBLocalDSN"));
}

TEST_F(DialogLayout, HelpButtonShowsOnlyWithTheHelpFile) {
    LoadFor(3, 0);
    EXPECT_FALSE(Shown("BtnHelp"));
    library_.PutHelpFile();
    LoadFor(3, 0);
    EXPECT_TRUE(Shown("BtnHelp"));
    EXPECT_EQ(Top("BtnHelp"), 320);  // 4800 twips
}

}  // namespace
}  // namespace vendral::test::qt
