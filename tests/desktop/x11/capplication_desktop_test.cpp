// StartApplication and StartApplicationWait in a Qt application on the real
// display: the caller's Qt events keep running while it waits, and documents
// open through the real xdg-open with an association this test sets up.
#include <gtest/gtest.h>

#include <QTest>
#include <QTimer>
#include <QWidget>
#include <filesystem>

#include "desktop/process_files.h"
#include "desktop/x11/window_probe.h"
#include "support/qt/screenshot.h"
#include "vendral/capplication.h"
#include "vendral/widgets/qt_ui_host.h"

namespace vendral::test {
namespace {

TEST(CApplicationInQt, WaitingWithEventsKeepsTheCallersTimersRunning) {
    if (!qt::RealDisplayAvailable()) GTEST_SKIP() << "no X display";
    DesktopScratch folder;
    auto previous = InstallQtUiHost();
    // The child ends only after the caller's timer has fired three times, so
    // the call can only return if the timer runs while it waits.
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (++ticks == 3) WriteBytes(folder / "gate", "go");
    });
    timer.start(5);
    WriteScript(folder / "child", "while [ ! -e '" + (folder / "gate") +
                                      "' ]; do sleep 0.01; done\necho ended > '" +
                                      (folder / "ended") + "'\n");
    CApplication().StartApplicationWait(folder / "child", 0);
    timer.stop();
    InstallUiHost(previous);
    EXPECT_GE(ticks, 3);
    EXPECT_EQ(ReadBytes(folder / "ended"), "ended\n");
}

TEST(CApplicationInQt, OwnWindowGoesToTheFrontAndBackWhereItIs) {
    if (!qt::RealDisplayAvailable()) GTEST_SKIP() << "no X display";
    QWidget form;
    form.setWindowTitle("Vendral own form");
    form.setGeometry(200, 150, 300, 180);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form, 5000));
    WindowProbe probe;
    auto handle = static_cast<WindowHandle>(form.winId());
    ASSERT_TRUE(Eventually([&] { return probe.IsNormal(handle); }));
    const Geometry before = probe.OnScreen(handle);

    CApplication().WindowToFront(handle);
    ASSERT_TRUE(Eventually([&] { return probe.IsAbove(handle); }));
    EXPECT_EQ(probe.OnScreen(handle), before);
    CApplication().WindowToBack(handle);
    ASSERT_TRUE(Eventually([&] { return !probe.IsAbove(handle); }));
    EXPECT_EQ(probe.OnScreen(handle), before);
    // Qt sees the window where it was, too.
    QTest::qWait(50);
    EXPECT_EQ(form.geometry(), QRect(before.X, before.Y, before.Width, before.Height));
}

TEST(CApplicationInQt, DocumentOpensWithTheApplicationTheDesktopAssociates) {
    if (!qt::RealDisplayAvailable()) GTEST_SKIP() << "no X display";
    DesktopScratch folder;
    // The desktop's configuration of this test alone: plain text opens with a
    // recorder that writes its working folder and arguments.
    std::filesystem::create_directories(folder / "config");
    std::filesystem::create_directories(folder / "data/applications");
    WriteScript(folder / "recorder",
                "{ pwd; printf '%s\\n' \"$@\"; } > '" + (folder / "opened.tmp") + "' && mv '" +
                    (folder / "opened.tmp") + "' '" + (folder / "opened") + "'\n");
    WriteBytes(folder / "config/mimeapps.list",
               "[Default Applications]\ntext/plain=vendral-test-opener.desktop\n");
    WriteBytes(folder / "data/applications/vendral-test-opener.desktop",
               "[Desktop Entry]\nType=Application\nName=Vendral test opener\nExec=" +
                   (folder / "recorder") + " %f\nMimeType=text/plain;\n");
    ScopedEnvironment configHome("XDG_CONFIG_HOME", folder / "config");
    ScopedEnvironment configDirs("XDG_CONFIG_DIRS", folder / "none");
    ScopedEnvironment dataHome("XDG_DATA_HOME", folder / "data");
    ScopedEnvironment dataDirs("XDG_DATA_DIRS", folder / "none");
    ScopedEnvironment desktop("XDG_CURRENT_DESKTOP", std::nullopt);
    ScopedEnvironment session("DESKTOP_SESSION", std::nullopt);
    WriteBytes(folder / "report.txt", "quarterly figures\n");

    Variant result = CApplication().StartApplication(folder / "report.txt");
    EXPECT_EQ(result.ToLong(), kShellStarted);
    EXPECT_EQ(AwaitFile(folder / "opened"), "/\n" + (folder / "report.txt") + "\n");
}

}  // namespace
}  // namespace vendral::test
