// A shown, active window that hosts an input control at a fixed place, with a
// second text box to move the focus to, as a form would.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPoint>
#include <QTest>
#include <QWidget>
#include <memory>

#include "base/qt/twips.h"
#include "controls/qt/brix_line.h"
#include "controls/qt/widget_colors.h"

namespace vendral::test {

template <typename Control>
class ControlHost : public ::testing::Test {
  protected:
    void SetUp() override {
        window_ = std::make_unique<QWidget>();
        window_->resize(520, 360);
        control_ = new Control(window_.get());
        control_->move(10, 10);
        other_ = new QLineEdit(window_.get());
        other_->setObjectName(QStringLiteral("other"));
        other_->setGeometry(10, 320, 200, 20);
        // The form opens with the focus elsewhere, so the control starts as
        // created.
        other_->setFocus();
        window_->show();
        window_->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
        // Exact twips in these tests are those of a standard 96-dpi screen.
        ASSERT_EQ(qt::TwipsPerPixelX(control_), 15);
        ASSERT_EQ(qt::TwipsPerPixelY(control_), 15);
        txt_ = Part<QLineEdit>("txt");
        lbl_ = Part<QLabel>("lbl");
        lin_ = Part<controls::BrixLine>("lin");
    }

    template <typename Widget>
    Widget* Part(const char* name) {
        auto* part = control_->template findChild<Widget*>(QString::fromLatin1(name));
        EXPECT_NE(part, nullptr) << name;
        return part;
    }

    // Focus moves with real focus events: into the text box, then to the
    // window's other text box by a click on it.
    void FocusIntoText() {
        txt_->setFocus(Qt::OtherFocusReason);
        QApplication::processEvents();
        ASSERT_TRUE(txt_->hasFocus());
    }
    void ClickElsewhere() {
        QTest::mouseClick(other_, Qt::LeftButton, {}, QPoint(5, 5));
        ASSERT_TRUE(other_->hasFocus());
    }
    void LeaveField() {
        FocusIntoText();
        ClickElsewhere();
    }
    // A click on what the user sees at a point of the control (its own
    // surface where no constituent shows).
    void ClickControlAt(QPoint point) {
        QWidget* target = control_->childAt(point);
        if (target == nullptr) target = control_;
        QTest::mouseClick(target, Qt::LeftButton, {}, target->mapFrom(control_, point));
    }

    // Twips of the widgets, as the tests read them.
    static int Left(const QWidget* w) { return qt::PixelsToTwipsX(w->x(), w); }
    static int Top(const QWidget* w) { return qt::PixelsToTwipsY(w->y(), w); }
    static int Width(const QWidget* w) { return qt::PixelsToTwipsX(w->width(), w); }
    static int Height(const QWidget* w) { return qt::PixelsToTwipsY(w->height(), w); }
    static std::uint32_t Back(const QWidget* w, QPalette::ColorRole role = QPalette::Window) {
        return controls::PaletteColor(w, role);
    }

    std::unique_ptr<QWidget> window_;
    Control* control_ = nullptr;
    QLineEdit* other_ = nullptr;
    QLineEdit* txt_ = nullptr;
    QLabel* lbl_ = nullptr;
    controls::BrixLine* lin_ = nullptr;
};

}  // namespace vendral::test
