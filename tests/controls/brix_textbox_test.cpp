// The labelled text box on a shown form: design values, the hint and the
// underline through real focus changes and clicks, the layout arithmetic in
// twips, and the property errors.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QTest>
#include <cmath>
#include <limits>

#include "control_host.h"
#include "vendral/platform_error.h"
#include "vendral/widgets/brix_textbox.h"

namespace vendral {
namespace {

constexpr std::uint32_t kWhite = 0x00FFFFFF;
constexpr std::uint32_t kLightGrey = 0x00E0E0E0;
constexpr std::uint32_t kGrey = 0x00808080;
constexpr std::uint32_t kRed = 0x000000FF;

class BrixTextBoxTest : public test::ControlHost<BrixTextBox> {
  protected:
    // An enabled, empty field with a tip, after the focus has left it.
    void ShowHint(const std::string& tip = "Name") {
        control_->FieldTip(tip);
        control_->Text("");
        LeaveField();
    }
};

std::int32_t ErrorNumberOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const PlatformError& error) {
        return error.Number();
    }
    return 0;
}

TEST_F(BrixTextBoxTest, NewControlShowsItsDesignTextAsADisabledFieldWouldUntilTheFirstFocusChange) {
    EXPECT_EQ(control_->Text(), "BrixTextBox");
    EXPECT_EQ(txt_->text(), "BrixTextBox");
    EXPECT_FALSE(txt_->isHidden());
    EXPECT_FALSE(txt_->isReadOnly());
    EXPECT_TRUE(lbl_->isHidden());
    EXPECT_TRUE(lin_->isHidden());
    EXPECT_TRUE(control_->Enabled());
    EXPECT_FALSE(control_->Mandatory());
    EXPECT_EQ(control_->FieldTip(), "");
    EXPECT_EQ(lbl_->text(), "");
    EXPECT_EQ(control_->Alignment(), 0);
    EXPECT_EQ(control_->MaxLength(), 0.0F);
    EXPECT_EQ(control_->TextSize(), 8.25F);
    EXPECT_EQ(txt_->font().family(), "Tahoma");
    EXPECT_EQ(Back(txt_, QPalette::Base), kWhite);
    EXPECT_EQ(Back(lbl_), kWhite);
    EXPECT_EQ(Back(lbl_, QPalette::WindowText), kGrey);
    EXPECT_EQ(lin_->BorderColor(), kGrey);
    EXPECT_EQ(Back(control_), kWhite);

    // The state of a disabled field stays until the focus first moves: an
    // empty text with a tip shows no hint yet.
    control_->FieldTip("Name");
    control_->Text("");
    EXPECT_TRUE(lbl_->isHidden());
    EXPECT_FALSE(txt_->isHidden());
    LeaveField();
    EXPECT_FALSE(lbl_->isHidden());
    EXPECT_TRUE(txt_->isHidden());
}

TEST_F(BrixTextBoxTest, FirstLayoutOfTheDesignSize) {
    EXPECT_EQ(Width(control_), 3615);
    // 8.25 + 210 + 3 = 221.25 twips, on whole pixels.
    EXPECT_EQ(Height(control_), 225);
    EXPECT_EQ(Left(txt_), 0);
    EXPECT_EQ(Top(txt_), 0);
    // 8.25 x 26.25 = 216.5625 twips, on whole pixels.
    EXPECT_EQ(Height(txt_), 210);
    EXPECT_EQ(Width(txt_), 3615);
    EXPECT_EQ(lbl_->geometry(), txt_->geometry());
    EXPECT_EQ(lin_->X1(), 0.0);
    EXPECT_EQ(lin_->X2(), 3615.0);
    EXPECT_EQ(lin_->Y1(), 210.0);
    EXPECT_EQ(lin_->Y2(), 210.0);
}

TEST_F(BrixTextBoxTest, FieldTipIsStoredAndShownInBrackets) {
    control_->FieldTip("Name");
    EXPECT_EQ(control_->FieldTip(), "[Name]");
    EXPECT_EQ(lbl_->text(), "[Name]");
    control_->FieldTip("");
    EXPECT_EQ(control_->FieldTip(), "");
    EXPECT_EQ(lbl_->text(), "");
    // Shown as written, not as markup.
    control_->FieldTip("<b>Firm</b>");
    EXPECT_EQ(lbl_->textFormat(), Qt::PlainText);
    EXPECT_EQ(lbl_->text(), "[<b>Firm</b>]");
}

TEST_F(BrixTextBoxTest, EmptyFieldWithATipShowsTheHintAndTheUnderlineWhenTheFocusLeaves) {
    ShowHint();
    EXPECT_FALSE(lbl_->isHidden());
    EXPECT_TRUE(txt_->isHidden());
    EXPECT_FALSE(lin_->isHidden());
    EXPECT_EQ(Back(txt_, QPalette::Base), kWhite);
    EXPECT_EQ(Back(lbl_), kWhite);
    // What the form shows at the text box's place is the hint.
    EXPECT_EQ(control_->childAt(QPoint(20, 5)), lbl_);
}

TEST_F(BrixTextBoxTest, EmptyFieldWithoutATipKeepsItsTextBoxAndShowsTheUnderline) {
    ShowHint("");
    EXPECT_TRUE(lbl_->isHidden());
    EXPECT_FALSE(txt_->isHidden());
    EXPECT_FALSE(lin_->isHidden());
}

TEST_F(BrixTextBoxTest, BlanksCountAsEmptyButOtherTextDoesNot) {
    control_->FieldTip("Name");
    control_->Text("   ");
    LeaveField();
    EXPECT_FALSE(lbl_->isHidden());
    EXPECT_TRUE(txt_->isHidden());
    EXPECT_FALSE(lin_->isHidden());

    control_->Text(" x ");
    EXPECT_TRUE(lin_->isHidden());
    control_->Enabled(true);
    LeaveField();
    EXPECT_TRUE(lbl_->isHidden());
    EXPECT_FALSE(txt_->isHidden());
    EXPECT_EQ(control_->Text(), " x ");
}

TEST_F(BrixTextBoxTest, MandatoryColoursHintAndUnderlineRedAndBackToGrey) {
    control_->Mandatory(true);
    EXPECT_TRUE(control_->Mandatory());
    EXPECT_EQ(Back(lbl_, QPalette::WindowText), kRed);
    EXPECT_EQ(lin_->BorderColor(), kRed);
    control_->Mandatory(false);
    EXPECT_FALSE(control_->Mandatory());
    EXPECT_EQ(Back(lbl_, QPalette::WindowText), kGrey);
    EXPECT_EQ(lin_->BorderColor(), kGrey);
}

TEST_F(BrixTextBoxTest, UnderlineIsADottedLineOnePixelHighInTheHintColour) {
    ShowHint();
    control_->Mandatory(true);
    QApplication::processEvents();
    const QImage image = control_->grab().toImage();
    const int row = txt_->height();  // the line lies just below the text box
    ASSERT_EQ(image.height(), row + 1);
    EXPECT_EQ(image.pixelColor(0, row), QColor(255, 0, 0));
    EXPECT_EQ(image.pixelColor(1, row), QColor(255, 255, 255));
    EXPECT_EQ(image.pixelColor(2, row), QColor(255, 0, 0));
    EXPECT_EQ(image.pixelColor(image.width() - 1 - (image.width() - 1) % 2, row),
              QColor(255, 0, 0));
    // Nothing of it above the line's row.
    EXPECT_NE(image.pixelColor(0, row - 1), QColor(255, 0, 0));
}

TEST_F(BrixTextBoxTest, DisabledFieldIsReadOnlyWithoutHintOrUnderline) {
    ShowHint();
    ASSERT_FALSE(lbl_->isHidden());
    control_->Enabled(false);
    EXPECT_FALSE(control_->Enabled());
    EXPECT_TRUE(txt_->isReadOnly());
    EXPECT_TRUE(lbl_->isHidden());
    EXPECT_FALSE(txt_->isHidden());
    EXPECT_TRUE(lin_->isHidden());

    // Typing changes nothing, and leaving it brings neither hint nor line.
    FocusIntoText();
    QTest::keyClicks(txt_, "abc");
    EXPECT_EQ(control_->Text(), "");
    ClickElsewhere();
    EXPECT_TRUE(lbl_->isHidden());
    EXPECT_TRUE(lin_->isHidden());

    // Enabled again, it decides as on focus leave: the hint is back.
    control_->Enabled(true);
    EXPECT_FALSE(txt_->isReadOnly());
    EXPECT_FALSE(lbl_->isHidden());
    EXPECT_TRUE(txt_->isHidden());
    EXPECT_FALSE(lin_->isHidden());
}

TEST_F(BrixTextBoxTest, FocusGreysTheFieldAndSelectsItsWholeText) {
    control_->Text("Jansen");
    other_->setFocus();
    QTest::keyClick(window_.get(), Qt::Key_Backtab);
    ASSERT_TRUE(txt_->hasFocus());
    EXPECT_EQ(Back(txt_, QPalette::Base), kLightGrey);
    EXPECT_EQ(Back(lbl_), kLightGrey);
    EXPECT_EQ(txt_->selectedText(), "Jansen");
    EXPECT_EQ(txt_->selectionStart(), 0);

    ClickElsewhere();
    EXPECT_EQ(Back(txt_, QPalette::Base), kWhite);
    EXPECT_EQ(Back(lbl_), kWhite);
    EXPECT_FALSE(txt_->isHidden());
    EXPECT_TRUE(lin_->isHidden());
}

TEST_F(BrixTextBoxTest, ClickOnTheHintStartsEditingWithTheFocus) {
    ShowHint();
    ClickControlAt(QPoint(20, 5));
    EXPECT_FALSE(txt_->isHidden());
    EXPECT_TRUE(txt_->hasFocus());
    EXPECT_EQ(Back(txt_, QPalette::Base), kLightGrey);
    EXPECT_EQ(Back(lbl_), kLightGrey);
    // The text box now covers the hint, which takes no further clicks.
    EXPECT_EQ(control_->childAt(QPoint(20, 5)), txt_);

    QTest::keyClicks(txt_, "Pieters");
    EXPECT_EQ(control_->Text(), "Pieters");
    EXPECT_TRUE(lin_->isHidden());
    ClickElsewhere();
    EXPECT_TRUE(lbl_->isHidden());
    EXPECT_FALSE(txt_->isHidden());
}

TEST_F(BrixTextBoxTest, TypingAwayTheTextShowsTheUnderlineAtOnce) {
    FocusIntoText();
    QTest::keyClick(txt_, Qt::Key_Delete);  // the whole text is selected
    EXPECT_EQ(control_->Text(), "");
    EXPECT_FALSE(lin_->isHidden());
    QTest::keyClicks(txt_, "a");
    EXPECT_TRUE(lin_->isHidden());
}

TEST_F(BrixTextBoxTest, TextSetWhileTheHintShowsKeepsTheHintUntilClickedOrEnabled) {
    ShowHint();
    control_->Text("Smit");
    EXPECT_EQ(control_->Text(), "Smit");
    EXPECT_FALSE(lbl_->isHidden());
    EXPECT_TRUE(txt_->isHidden());
    EXPECT_TRUE(lin_->isHidden());
    control_->Enabled(true);
    EXPECT_TRUE(lbl_->isHidden());
    EXPECT_FALSE(txt_->isHidden());
}

TEST_F(BrixTextBoxTest, TextSizeSetsTheFontAndRedoesTheLayout) {
    control_->TextSize(12.0F);
    EXPECT_EQ(control_->TextSize(), 12.0F);
    EXPECT_EQ(txt_->font().pixelSize(), 16);
    EXPECT_EQ(lbl_->font().pixelSize(), 16);
    // 12 x 26.25 = 315 twips; 12 + 315 + 3 = 330 twips.
    EXPECT_EQ(Height(txt_), 315);
    EXPECT_EQ(Height(control_), 330);
    EXPECT_EQ(lbl_->geometry(), txt_->geometry());
    EXPECT_EQ(lin_->Y1(), 315.0);

    // The size the font takes on whole pixels is what the layout uses:
    // 10 pt is 13 pixels, 9.75 pt; 9.75 x 26.25 = 255.94 -> 255 twips;
    // 9.75 + 255 + 3 = 267.75 -> 270 twips.
    control_->TextSize(10.0F);
    EXPECT_EQ(control_->TextSize(), 9.75F);
    EXPECT_EQ(Height(txt_), 255);
    EXPECT_EQ(Height(control_), 270);
    EXPECT_EQ(lin_->Y1(), 255.0);

    EXPECT_EQ(ErrorNumberOf([&] { control_->TextSize(0.0F); }), 380);
    EXPECT_EQ(ErrorNumberOf([&] { control_->TextSize(-3.0F); }), 380);
    EXPECT_EQ(ErrorNumberOf([&] { control_->TextSize(std::nanf("")); }), 380);
    EXPECT_EQ(control_->TextSize(), 9.75F);
}

TEST_F(BrixTextBoxTest, HostResizeLaysOutAgainAndTheHeightSettles) {
    control_->resize(200, 100);
    EXPECT_EQ(Width(control_), 3000);
    EXPECT_EQ(Height(control_), 225);
    EXPECT_EQ(Width(txt_), 3000);
    EXPECT_EQ(lin_->X2(), 3000.0);
    EXPECT_EQ(lbl_->width(), 200);
    QApplication::processEvents();
    EXPECT_EQ(control_->height(), 15);
}

TEST_F(BrixTextBoxTest, AlignmentTakesLeftRightCentreAndRaisesTheErrorsOfOtherValues) {
    control_->Alignment(1);
    EXPECT_EQ(control_->Alignment(), 1);
    EXPECT_TRUE(txt_->alignment() & Qt::AlignRight);
    control_->Alignment(2);
    EXPECT_EQ(control_->Alignment(), 2);
    EXPECT_TRUE(txt_->alignment() & Qt::AlignHCenter);
    control_->Alignment(0);
    EXPECT_EQ(control_->Alignment(), 0);

    control_->Alignment(2);
    EXPECT_EQ(ErrorNumberOf([&] { control_->Alignment(3); }), 380);
    EXPECT_EQ(ErrorNumberOf([&] { control_->Alignment(-1); }), 380);
    EXPECT_EQ(ErrorNumberOf([&] { control_->Alignment(32767); }), 380);
    // Outside 16 bits the conversion fails first; 65537 must not wrap to 1.
    EXPECT_EQ(ErrorNumberOf([&] { control_->Alignment(32768); }), 6);
    EXPECT_EQ(ErrorNumberOf([&] { control_->Alignment(65537); }), 6);
    EXPECT_EQ(ErrorNumberOf([&] { control_->Alignment(-32769); }), 6);
    EXPECT_EQ(control_->Alignment(), 2);
    try {
        control_->Alignment(7);
        FAIL() << "no error";
    } catch (const PlatformError& error) {
        EXPECT_STREQ(error.what(), "Invalid property value");
    }
}

TEST_F(BrixTextBoxTest, MaxLengthRoundsHalvesToEvenAndLimitsTyping) {
    control_->MaxLength(2.5F);
    EXPECT_EQ(control_->MaxLength(), 2.0F);
    control_->MaxLength(3.5F);
    EXPECT_EQ(control_->MaxLength(), 4.0F);
    control_->MaxLength(0.5F);
    EXPECT_EQ(control_->MaxLength(), 0.0F);
    control_->MaxLength(2.6F);
    EXPECT_EQ(control_->MaxLength(), 3.0F);

    control_->Text("");
    FocusIntoText();
    QTest::keyClicks(txt_, "abcdef");
    EXPECT_EQ(control_->Text(), "abc");
    // Characters, not bytes or UTF-16 units.
    control_->Text("");
    for (const QString& character :
         {QString::fromUtf8("\xC3\xBC"), QString::fromUtf8("\xF0\x9F\x98\x80"), QStringLiteral("x"),
          QStringLiteral("y")}) {
        QTest::sendKeyEvent(QTest::Click, txt_, Qt::Key_unknown, character, Qt::NoModifier);
    }
    EXPECT_EQ(control_->Text(), "\xC3\xBC\xF0\x9F\x98\x80x");

    // A longer text from the program stays whole, and may still shrink.
    control_->Text("abcdef");
    EXPECT_EQ(control_->Text(), "abcdef");
    txt_->end(false);
    QTest::keyClick(txt_, Qt::Key_Backspace);
    EXPECT_EQ(control_->Text(), "abcde");
    QTest::keyClicks(txt_, "z");
    EXPECT_EQ(control_->Text(), "abcde");

    control_->MaxLength(0.0F);
    QTest::keyClicks(txt_, "zz");
    EXPECT_EQ(control_->Text(), "abcdezz");
}

TEST_F(BrixTextBoxTest, MaxLengthRaisesInvalidValueAndOverflow) {
    control_->MaxLength(5.0F);
    EXPECT_EQ(ErrorNumberOf([&] { control_->MaxLength(-1.0F); }), 380);
    EXPECT_EQ(ErrorNumberOf([&] { control_->MaxLength(std::nanf("")); }), 380);
    EXPECT_EQ(ErrorNumberOf([&] { control_->MaxLength(3.0e9F); }), 6);
    EXPECT_EQ(ErrorNumberOf([&] { control_->MaxLength(-3.0e9F); }), 6);
    EXPECT_EQ(ErrorNumberOf([&] { control_->MaxLength(std::numeric_limits<float>::infinity()); }),
              6);
    // Halves to even: -0.5 is 0, no limit and no error.
    control_->MaxLength(-0.5F);
    EXPECT_EQ(control_->MaxLength(), 0.0F);
}

TEST_F(BrixTextBoxTest, TextIsUtf8) {
    control_->Text("Caf\xC3\xA9 M\xC3\xBCller");
    EXPECT_EQ(txt_->text(), QString::fromUtf8("Caf\xC3\xA9 M\xC3\xBCller"));
    EXPECT_EQ(control_->Text(), "Caf\xC3\xA9 M\xC3\xBCller");
}

TEST_F(BrixTextBoxTest, SwitchingToAnotherWindowAndBackIsNoFocusChangeOfTheField) {
    QWidget elsewhere;
    auto switchAwayAndBack = [&](const std::function<void()>& whileAway) {
        elsewhere.show();
        elsewhere.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&elsewhere));
        whileAway();
        window_->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
        ASSERT_TRUE(txt_->hasFocus());
    };
    control_->FieldTip("Name");
    control_->Text("");
    FocusIntoText();
    // An empty field with a tip would show its hint if this were a focus leave.
    switchAwayAndBack([&] {
        EXPECT_FALSE(txt_->isHidden());
        EXPECT_TRUE(lbl_->isHidden());
        EXPECT_EQ(Back(txt_, QPalette::Base), kLightGrey);
    });
    // Coming back does not select the typed text as a focus change would.
    QTest::keyClicks(txt_, "ab");
    ASSERT_EQ(txt_->selectedText(), "");
    switchAwayAndBack([] {});
    EXPECT_EQ(txt_->selectedText(), "");
    EXPECT_EQ(control_->Text(), "ab");
    // A real focus change afterwards still counts.
    QTest::keyClick(txt_, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(txt_, Qt::Key_Delete);
    ClickElsewhere();
    EXPECT_FALSE(lbl_->isHidden());
    EXPECT_TRUE(txt_->isHidden());
}

TEST(BrixTextBoxFirstFocus, FocusGivenAsAFormOpensCountsAsAFocusChange) {
    QWidget window;
    auto* control = new BrixTextBox(&window);
    control->Text("Jansen");
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    auto* txt = control->findChild<QLineEdit*>("txt");
    ASSERT_TRUE(txt->hasFocus());
    EXPECT_EQ(controls::PaletteColor(txt, QPalette::Base), kLightGrey);
    EXPECT_EQ(txt->selectedText(), "Jansen");
}

TEST(BrixTextBoxLifetime, DestroyingAFocusedControlRunsNoHandler) {
    QWidget window;
    auto* control = new BrixTextBox(&window);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    auto* txt = control->findChild<QLineEdit*>("txt");
    txt->setFocus();
    ASSERT_TRUE(txt->hasFocus());
    delete control;
    EXPECT_EQ(window.findChild<BrixTextBox*>(), nullptr);
}

}  // namespace
}  // namespace vendral
