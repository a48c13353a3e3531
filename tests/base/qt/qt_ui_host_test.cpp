// The Qt UI host: real message boxes, the application-wide busy pointer and
// pending events, as the core reaches them through ShowErrorMessage and the
// other host calls.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QTimer>
#include <memory>

#include "support/qt/modal_watcher.h"
#include "vendral/ui_host.h"
#include "vendral/widgets/qt_ui_host.h"

namespace vendral {
namespace {

using test::qt::MessageBoxRecorder;

TEST(QtUiHost, IsInstalledWhenTheWidgetLibraryIsLoaded) {
    EXPECT_NE(dynamic_cast<QtUiHost*>(CurrentUiHost().get()), nullptr);
}

TEST(QtUiHost, ErrorAndInfoMessagesAreModalBoxesWithTheirTitlesIconsAndOneOkButton) {
    MessageBoxRecorder recorder;
    EXPECT_EQ(ShowErrorMessage("The central user id is missing."), 1);
    EXPECT_EQ(ShowInfoMessage("Central database connection test is successful!"), 1);

    ASSERT_EQ(recorder.Boxes().size(), 2u);
    EXPECT_EQ(recorder.Boxes()[0].Title, "Error");
    EXPECT_EQ(recorder.Boxes()[0].Text, "The central user id is missing.");
    EXPECT_EQ(recorder.Boxes()[0].Icon, QMessageBox::Warning);
    EXPECT_EQ(recorder.Boxes()[0].Buttons, QStringList{"OK"});
    EXPECT_EQ(recorder.Boxes()[1].Title, "Message");
    EXPECT_EQ(recorder.Boxes()[1].Icon, QMessageBox::Information);
    EXPECT_EQ(recorder.Boxes()[1].Buttons, QStringList{"OK"});
}

TEST(QtUiHost, BusyPointerIsShownOnceAndOneArrowRestoresIt) {
    QtUiHost host;
    ASSERT_EQ(QGuiApplication::overrideCursor(), nullptr);
    host.SetMousePointer(kPointerBusy);
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    // A second busy call must not stack a second override.
    host.SetMousePointer(kPointerBusy);
    host.SetMousePointer(kPointerArrow);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    // An arrow without a busy pointer before does not take away the
    // application's own override.
    QGuiApplication::setOverrideCursor(QCursor(Qt::CrossCursor));
    host.SetMousePointer(kPointerArrow);
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::CrossCursor);
    QGuiApplication::restoreOverrideCursor();
}

TEST(QtUiHost, DestroyingTheHostLeavesNoBusyPointerBehind) {
    {
        QtUiHost host;
        host.SetMousePointer(kPointerBusy);
    }
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST(QtUiHost, DoEventsRunsPendingEvents) {
    bool ran = false;
    QTimer::singleShot(0, [&ran] { ran = true; });
    CurrentUiHost()->DoEvents();
    EXPECT_TRUE(ran);
}

}  // namespace
}  // namespace vendral
