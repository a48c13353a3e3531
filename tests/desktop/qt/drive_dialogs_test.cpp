#include <gtest/gtest.h>

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <filesystem>

#include "support/qt/modal_watcher.h"
#include "vendral/cfile.h"

namespace vendral {
namespace {

class DriveDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "vendral-dialog.XXXXXX").string();
        root = ::mkdtemp(pattern.data());
        share = root / "share";
        std::filesystem::create_directories(share);
        table =
            std::make_shared<DriveTable>(root / "dosdevices", std::make_shared<GioShareMounter>());
        file = std::make_unique<CFile>(table);
    }
    void TearDown() override { std::filesystem::remove_all(root); }
    std::filesystem::path root, share;
    std::shared_ptr<DriveTable> table;
    std::unique_ptr<CFile> file;
};

TEST_F(DriveDialogTest, ConnectDialogMapsTheChosenDrive) {
    ASSERT_TRUE(file->ConnectThisNetworkDrive(share.string(), "D:"));
    QStringList offered;
    QString refusal;
    test::qt::ModalWatcher watcher([&](QWidget* widget) {
        if (widget->objectName() != "DriveConnectDialog") return true;
        auto* drive = widget->findChild<QComboBox*>("Drive");
        for (int i = 0; i < drive->count(); ++i) offered << drive->itemText(i);
        drive->setCurrentIndex(drive->findText("G:"));
        auto* folder = widget->findChild<QLineEdit*>("Folder");
        folder->setFocus();
        QTest::keyClicks(folder, QString::fromStdString((root / "missing").string()));
        test::qt::ClickButton(widget->findChild<QPushButton*>("Connect"));
        refusal = widget->findChild<QLabel*>("Status")->text();
        folder->clear();
        QTest::keyClicks(folder, QString::fromStdString(share.string()));
        test::qt::ClickButton(widget->findChild<QPushButton*>("Connect"));
        return false;
    });
    EXPECT_EQ(file->ShowDriveConnectDialog(), Variant(0));
    EXPECT_EQ(offered.size(), 22);  // D: is taken
    EXPECT_EQ(offered.front(), "E:");
    EXPECT_EQ(refusal, "The folder could not be connected to G:.");
    std::vector<DriveMapping> drives = table->Connections();
    ASSERT_EQ(drives.size(), 2u);
    EXPECT_EQ(drives[1].Drive, "G:");
    EXPECT_EQ(drives[1].Target, share.string());
}

TEST_F(DriveDialogTest, CancelReturnsMinusOne) {
    test::qt::ModalWatcher watcher([&](QWidget* widget) {
        if (widget->objectName() != "DriveConnectDialog") return true;
        QTest::keyClick(widget, Qt::Key_Escape);
        return false;
    });
    EXPECT_EQ(file->ShowDriveConnectDialog(), Variant(-1));
    EXPECT_TRUE(table->Connections().empty());
}

TEST_F(DriveDialogTest, DisconnectDialogRemovesTheChosenDrive) {
    ASSERT_TRUE(file->ConnectThisNetworkDrive(share.string(), "E:"));
    ASSERT_TRUE(file->ConnectThisNetworkDrive(share.string(), "H:"));
    QStringList listed;
    test::qt::ModalWatcher watcher([&](QWidget* widget) {
        if (widget->objectName() != "DriveDisconnectDialog") return true;
        auto* list = widget->findChild<QListWidget*>("Drives");
        for (int i = 0; i < list->count(); ++i) listed << list->item(i)->text();
        QRect row = list->visualItemRect(list->item(1));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row.center());
        test::qt::ClickButton(widget->findChild<QPushButton*>("Disconnect"));
        return false;
    });
    EXPECT_EQ(file->ShowDriveDisconnectDialog(), Variant(0));
    EXPECT_EQ(listed, QStringList({QString::fromStdString("E:  " + share.string()),
                                   QString::fromStdString("H:  " + share.string())}));
    std::vector<DriveMapping> drives = table->Connections();
    ASSERT_EQ(drives.size(), 1u);
    EXPECT_EQ(drives[0].Drive, "E:");
}

}  // namespace
}  // namespace vendral
