#include "support/qt/screenshot.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <QWidget>
#include <cstdlib>

namespace vendral::test::qt {
namespace {

bool OnRealDisplay() {
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

}  // namespace

bool SaveWindowScreenshot(QWidget* window, const QString& path) {
    if (window == nullptr) return false;
    if (!window->isVisible()) window->show();
    if (!QTest::qWaitForWindowExposed(window, 5000)) return false;
    if (!OnRealDisplay()) return window->grab().save(path, "PNG");
    // Let the window manager place and frame the window, and the paint finish.
    for (int waited = 0; waited < 3000 && window->isWindow() &&
                         window->frameGeometry() == window->geometry();
         waited += 50)
        QTest::qWait(50);
    QTest::qWait(300);
    QRect frame = window->frameGeometry();
    return SaveScreenRegion(frame.x(), frame.y(), frame.width(), frame.height(), path);
}

bool SaveScreenRegion(int x, int y, int width, int height, const QString& path) {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return false;
    return screen->grabWindow(0, x, y, width, height).save(path, "PNG");
}

bool RealDisplayAvailable() {
    if (OnRealDisplay()) return true;
    const char* required = std::getenv("VENDRAL_REQUIRE_X11");
    if (required != nullptr && std::string(required) == "1") {
        ADD_FAILURE() << "this test needs an X server with a window manager (DISPLAY); "
                         "scripts/run-tests.sh starts one";
    }
    return false;
}

}  // namespace vendral::test::qt
