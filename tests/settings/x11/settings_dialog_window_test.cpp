// The settings dialog as a real window under a window manager: the client
// area has the design's size, and neither Alt+F4 nor the window manager's
// close request (_NET_CLOSE_WINDOW) closes it.
#include <gtest/gtest.h>

#include <QProcess>
#include <QTest>

#include "settings/qt/frm_odbc_settings.h"
#include "settings/settings_state.h"
#include "support/qt/modal_watcher.h"
#include "support/qt/screenshot.h"
#include "support/test_database.h"
#include "vendral/settings.h"

namespace vendral::test::qt {
namespace {

bool RunTool(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(10000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

// Counts the close requests that reach the window.
class CloseCounter : public QObject {
  public:
    int Count = 0;

  protected:
    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        if (event->type() == QEvent::Close) ++Count;
        return false;
    }
};

class DialogWindow : public ::testing::TestWithParam<std::pair<int, int>> {};

TEST_P(DialogWindow, ClientAreaHasTheDesignSizeAndOnlySaveOrCancelCloseIt) {
    if (!RealDisplayAvailable()) GTEST_SKIP() << "no X server";
    vendral::detail::SetSettingsFilePath(TestOdbc::Instance().ScratchPath("x11_missing.ini"));
    CurrentDialogState().Mode = GetParam().first;
    CurrentDialogState().AskServer = GetParam().second;
    vendral::qt::FrmODBCSettings dialog;
    dialog.Load();
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));

    const int clientTwips = GetParam().first == 3 ? 5760 : GetParam().second == 1 ? 2850 : 2460;
    EXPECT_EQ(dialog.geometry().size(), QSize(6300 / 15, clientTwips / 15));
    // The window manager puts its title bar above the client area.
    // The first window of a fresh window manager can take a while to be framed.
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return dialog.frameGeometry().height() > dialog.height(); }, 30000));

    CloseCounter closes;
    dialog.installEventFilter(&closes);
    const QString id = QString::number(dialog.winId());
    // The first key can reach the window manager before it has given the
    // dialog the focus; the key is sent again until a close arrives.
    bool closeArrived = false;
    for (int attempt = 0; attempt < 5 && !closeArrived; ++attempt) {
        ASSERT_TRUE(RunTool(
            QStringLiteral("xdotool"),
            {QStringLiteral("windowactivate"), QStringLiteral("--sync"), id, QStringLiteral("key"),
             QStringLiteral("--clearmodifiers"), QStringLiteral("alt+F4")}));
        closeArrived = WaitUntil([&] { return closes.Count >= 1; }, 3000);
    }
    ASSERT_TRUE(closeArrived);
    EXPECT_TRUE(dialog.isVisible());
    ASSERT_TRUE(
        RunTool(QStringLiteral("wmctrl"), {QStringLiteral("-i"), QStringLiteral("-c"), id}));
    ASSERT_TRUE(WaitUntil([&] { return closes.Count >= 2; }));
    EXPECT_TRUE(dialog.isVisible());
    dialog.removeEventFilter(&closes);
    dialog.hide();
}

INSTANTIATE_TEST_SUITE_P(Modes, DialogWindow,
                         ::testing::Values(std::pair{1, 0}, std::pair{1, 1}, std::pair{3, 1}));

}  // namespace
}  // namespace vendral::test::qt
