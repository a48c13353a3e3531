#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QProcess>
#include <QProgressBar>
#include <QRegularExpression>
#include <QTest>
#include <QWidget>
#include <QWindow>

#include "support/qt/modal_watcher.h"
#include "support/qt/screenshot.h"
#include "vendral/widgets/cprogressbar.h"

namespace vendral {
namespace {

// Another program's window: xmessage, found by its title through xwininfo.
class ForeignWindow {
  public:
    ForeignWindow() {
        process_.start("xmessage", {"-geometry", "300x80+40+40", "-title", "vendral-foreign",
                                    "a window of another program"});
        process_.waitForStarted(5000);
        test::qt::WaitUntil([&] {
            QProcess info;
            info.start("xwininfo", {"-name", "vendral-foreign"});
            info.waitForFinished(2000);
            QString out = QString::fromLocal8Bit(info.readAllStandardOutput());
            auto id = QRegularExpression("Window id: (0x[0-9a-f]+)").match(out);
            auto w = QRegularExpression("Width: (\\d+)").match(out);
            auto h = QRegularExpression("Height: (\\d+)").match(out);
            if (!id.hasMatch() || !w.hasMatch()) return false;
            id_ = id.captured(1).toUInt(nullptr, 16);
            size_ = QSize(w.captured(1).toInt(), h.captured(1).toInt());
            return true;
        });
    }
    ~ForeignWindow() {
        process_.kill();
        process_.waitForFinished(2000);
    }
    std::uint32_t Id() const { return id_; }
    QSize Size() const { return size_; }

  private:
    QProcess process_;
    std::uint32_t id_ = 0;
    QSize size_;
};

TEST(ProgressBarX11Test, CreateOnAForeignWindowCoversItsSize) {
    if (!test::qt::RealDisplayAvailable()) GTEST_SKIP() << "no X server";
    ForeignWindow foreign;
    ASSERT_NE(foreign.Id(), 0u);
    CProgressBar bar;
    bar.SethWndParent(static_cast<std::int32_t>(foreign.Id()));
    EXPECT_EQ(static_cast<std::uint32_t>(bar.SethWndParent()), foreign.Id());
    // The four position values are unused on this path.
    ASSERT_TRUE(bar.Create(Variant(50), Variant(50), Variant(10), Variant(10), true));
    ASSERT_NE(bar.Bar(), nullptr);
    EXPECT_EQ(bar.Bar()->geometry(), QRect(QPoint(0, 0), foreign.Size()));
    QWindow* native = bar.Bar()->windowHandle();
    ASSERT_NE(native, nullptr);
    ASSERT_NE(native->parent(), nullptr);
    EXPECT_EQ(native->parent()->winId(), foreign.Id());
    bar.MaxValue(10);
    for (int n = 1; n <= 5; ++n) bar.Raise(n);
    EXPECT_EQ(bar.Bar()->value(), 50);
    bar.DestroyProgBar();
    EXPECT_EQ(bar.Bar(), nullptr);
}

TEST(ProgressBarX11Test, CreateOnAParentWidgetOnARealDisplay) {
    if (!test::qt::RealDisplayAvailable()) GTEST_SKIP() << "no X server";
    QWidget host;
    host.resize(145, 40);
    host.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
    CProgressBar bar;
    bar.Parent(&host);
    ASSERT_TRUE(bar.Create());
    EXPECT_EQ(bar.Bar()->geometry(), QRect(0, 0, 145, 20));
    EXPECT_NE(bar.ProgBarHwnd(), 0);
    bar.SetProgVert(true);
    EXPECT_EQ(bar.Bar()->orientation(), Qt::Horizontal);
}

}  // namespace
}  // namespace vendral
