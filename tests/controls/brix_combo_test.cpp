// The labelled combo box on a shown form: its design entries and values, the
// choice through real clicks on the arrow, the text, the hint and the list,
// the growing and shrinking layout, and what Clear keeps.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QListWidget>
#include <QTest>
#include <cmath>

#include "control_host.h"
#include "controls/qt/arrow_picture.h"
#include "controls/qt/brix_shape.h"
#include "vendral/platform_error.h"
#include "vendral/widgets/brix_combo.h"

namespace vendral {
namespace {

// Twips on whole pixels of a 15-twips screen, as the platform sets them.
int OnPixels(double twips) {
    return static_cast<int>(std::lround(twips / 15)) * 15;
}

class BrixComboTest : public test::ControlHost<BrixCombo> {
  protected:
    void SetUp() override {
        ControlHost::SetUp();
        lst_ = Part<QListWidget>("lst");
        img_ = Part<QLabel>("img");
        shp_ = Part<controls::BrixShape>("shp");
    }

    void ClickArrow() { QTest::mouseClick(img_, Qt::LeftButton, {}, QPoint(4, 7)); }
    void ClickText() { QTest::mouseClick(txt_, Qt::LeftButton, {}, QPoint(10, 5)); }
    void Pick(int row) {
        ASSERT_FALSE(lst_->isHidden());
        const QRect rect = lst_->visualItemRect(lst_->item(row));
        QTest::mouseClick(lst_->viewport(), Qt::LeftButton, {}, rect.center());
    }
    std::vector<std::string> Entries() const {
        std::vector<std::string> entries;
        for (int row = 0; row < lst_->count(); ++row) {
            entries.push_back(lst_->item(row)->text().toStdString());
        }
        return entries;
    }

    QListWidget* lst_ = nullptr;
    QLabel* img_ = nullptr;
    controls::BrixShape* shp_ = nullptr;
};

TEST_F(BrixComboTest, NewControlHasItsDesignValues) {
    EXPECT_EQ(txt_->text(), "BrixCombo");
    EXPECT_TRUE(txt_->isReadOnly());
    EXPECT_EQ(Entries(), (std::vector<std::string>{" ", "een", "twee", "drie", "vier", "vijf"}));
    for (int row = 0; row < lst_->count(); ++row) {
        EXPECT_EQ(lst_->item(row)->data(Qt::UserRole).toInt(), 0) << row;
    }
    EXPECT_TRUE(lst_->isHidden());
    EXPECT_TRUE(shp_->isHidden());
    EXPECT_EQ(shp_->BorderColor(), 0x00FFC0C0u);
    EXPECT_FALSE(img_->isHidden());
    EXPECT_TRUE(lbl_->isHidden());
    EXPECT_TRUE(lin_->isHidden());
    EXPECT_TRUE(control_->Enabled());
    // Nothing chosen yet.
    EXPECT_EQ(control_->Text(), "");
    EXPECT_EQ(control_->ListIndex(), 0);
    EXPECT_EQ(control_->itemdata(), 0);
}

TEST_F(BrixComboTest, FirstLayoutOfTheDesignSize) {
    EXPECT_EQ(Width(control_), 3915);
    EXPECT_EQ(Height(control_), OnPixels(8.25 + 210 + 3));
    EXPECT_EQ(Height(txt_), 210);
    EXPECT_EQ(Width(txt_), OnPixels(3915 - 170));
    EXPECT_EQ(lbl_->geometry(), txt_->geometry());
    EXPECT_EQ(lin_->X2(), 3915.0);
    EXPECT_EQ(lin_->Y1(), 210.0);
    EXPECT_EQ(Top(img_), 0);
    EXPECT_EQ(Left(img_), OnPixels(3915 - 130));
    EXPECT_EQ(img_->width(), 9);
    EXPECT_EQ(img_->height(), 15);
    EXPECT_EQ(Left(lst_), 0);
    EXPECT_EQ(Top(lst_), 210);
    EXPECT_EQ(Width(lst_), 3915);
    EXPECT_EQ(Height(lst_), 1200);
    EXPECT_EQ(shp_->geometry(), lst_->geometry());
}

TEST_F(BrixComboTest, ArrowPictureIsADownwardTriangleOfNineByFifteenPixels) {
    const QImage picture = img_->pixmap().toImage();
    ASSERT_EQ(picture.size(), QSize(9, 15));
    const QImage own = controls::DropDownArrowPicture().toImage();
    EXPECT_EQ(picture, own);
    // Full width at the top row of the triangle, one pixel at its tip.
    for (int x = 0; x < 9; ++x) EXPECT_EQ(picture.pixelColor(x, 5).alpha(), 255) << x;
    EXPECT_EQ(picture.pixelColor(4, 9).alpha(), 255);
    EXPECT_EQ(picture.pixelColor(3, 9).alpha(), 0);
    EXPECT_EQ(picture.pixelColor(4, 10).alpha(), 0);
    EXPECT_EQ(picture.pixelColor(4, 4).alpha(), 0);
}

TEST_F(BrixComboTest, ClearAddItemAndPickTakeTheEntryItsIndexAndItsItemDatum) {
    EXPECT_TRUE(control_->Clear());
    EXPECT_EQ(lst_->count(), 0);
    EXPECT_EQ(txt_->text(), "");
    EXPECT_EQ(control_->AddItem("Alpha", 17), 0);
    EXPECT_EQ(control_->AddItem("Beta", 42), 1);

    ClickArrow();
    ASSERT_FALSE(lst_->isHidden());
    Pick(1);
    EXPECT_TRUE(lst_->isHidden());
    EXPECT_EQ(txt_->text(), "Beta");
    EXPECT_EQ(control_->Text(), "Beta");
    EXPECT_EQ(control_->ListIndex(), 1);
    EXPECT_EQ(control_->itemdata(), 42);
    EXPECT_FALSE(txt_->isHidden());
    EXPECT_TRUE(lbl_->isHidden());
    EXPECT_TRUE(lin_->isHidden());
}

TEST_F(BrixComboTest, ClearAfterAChoiceEmptiesListAndTextButKeepsTheChoice) {
    ClickText();
    Pick(3);
    ASSERT_EQ(control_->Text(), "drie");
    EXPECT_TRUE(control_->Clear());
    EXPECT_EQ(lst_->count(), 0);
    EXPECT_EQ(txt_->text(), "");
    EXPECT_FALSE(lin_->isHidden());
    EXPECT_EQ(control_->Text(), "drie");
    EXPECT_EQ(control_->ListIndex(), 3);
    EXPECT_EQ(control_->itemdata(), 0);
}

TEST_F(BrixComboTest, DisabledComboHidesItsArrowAndClicksDoNotOpenIt) {
    control_->FieldTip("Land");
    control_->Enabled(false);
    EXPECT_FALSE(control_->Enabled());
    EXPECT_TRUE(img_->isHidden());
    EXPECT_TRUE(txt_->isReadOnly());
    ClickText();
    EXPECT_TRUE(lst_->isHidden());
    ClickControlAt(QPoint(control_->width() - 5, 5));  // where the arrow was
    EXPECT_TRUE(lst_->isHidden());
    EXPECT_EQ(Height(control_), OnPixels(8.25 + 210 + 3));

    // An empty field shows no hint while disabled, so there is none to click.
    control_->Clear();
    control_->Enabled(false);
    EXPECT_TRUE(lbl_->isHidden());
    EXPECT_FALSE(txt_->isHidden());
    ClickText();
    EXPECT_TRUE(lst_->isHidden());

    control_->Enabled(true);
    EXPECT_FALSE(img_->isHidden());
    EXPECT_FALSE(lbl_->isHidden());
    ClickControlAt(QPoint(20, 5));
    EXPECT_FALSE(lst_->isHidden());
}

TEST_F(BrixComboTest, OpeningGrowsTheControlByTheListHeightLessFiveTwipsAndClosingShrinksIt) {
    const int closed = Height(control_);
    EXPECT_EQ(closed, OnPixels(8.25 + 210 + 3));
    ClickArrow();
    ASSERT_FALSE(lst_->isHidden());
    // 1200 - 5 = 1195 twips more before the platform puts it on pixels.
    EXPECT_EQ(Height(control_), OnPixels(8.25 + 210 + 3 + 1195));
    EXPECT_FALSE(shp_->isHidden());
    EXPECT_EQ(shp_->geometry(), lst_->geometry());
    EXPECT_EQ(Top(lst_), 210);
    // The open list lies above the form's other widgets.
    EXPECT_EQ(window_->childAt(control_->mapTo(window_.get(), lst_->geometry().center())),
              lst_->viewport());
    ClickArrow();
    EXPECT_TRUE(lst_->isHidden());
    EXPECT_TRUE(shp_->isHidden());
    EXPECT_EQ(Height(control_), closed);

    control_->TextSize(12.0F);
    EXPECT_EQ(Height(control_), 330);
    EXPECT_EQ(lst_->font().pixelSize(), 16);
    ClickArrow();
    EXPECT_EQ(Height(control_), OnPixels(330 + 1195));
    ClickArrow();
    EXPECT_EQ(Height(control_), 330);
}

TEST_F(BrixComboTest, SecondArrowClickWithoutPickingTakesTheListsSelectionAgain) {
    ClickArrow();
    Pick(2);
    ASSERT_EQ(control_->Text(), "twee");
    ClickArrow();
    ClickArrow();
    EXPECT_TRUE(lst_->isHidden());
    EXPECT_EQ(txt_->text(), "twee");
    EXPECT_EQ(control_->Text(), "twee");
    EXPECT_EQ(control_->ListIndex(), 2);

    // Opening and closing again without a move keeps the choice.
    ClickArrow();
    EXPECT_FALSE(lst_->isHidden());
    ClickArrow();
    EXPECT_EQ(control_->Text(), "twee");
    EXPECT_EQ(control_->ListIndex(), 2);
}

TEST_F(BrixComboTest, ArrowKeysInTheListPickAsAClickDoes) {
    ClickArrow();
    Pick(2);
    ClickArrow();
    lst_->setFocus();
    // A list box reports a click when the keyboard moves its selection.
    QTest::keyClick(lst_, Qt::Key_Down);
    EXPECT_TRUE(lst_->isHidden());
    EXPECT_EQ(txt_->text(), "drie");
    EXPECT_EQ(control_->Text(), "drie");
    EXPECT_EQ(control_->ListIndex(), 3);

    ClickArrow();
    lst_->setFocus();
    QTest::keyClick(lst_, Qt::Key_Up);
    EXPECT_TRUE(lst_->isHidden());
    EXPECT_EQ(control_->Text(), "twee");
    EXPECT_EQ(control_->ListIndex(), 2);

    // A selection set by the program is no click.
    ClickArrow();
    lst_->setCurrentRow(5);
    EXPECT_FALSE(lst_->isHidden());
    EXPECT_EQ(control_->Text(), "twee");
}

TEST_F(BrixComboTest, EnterInTheListPicksTheSelectedEntry) {
    ClickArrow();
    lst_->setFocus();
    lst_->setCurrentRow(0);
    QTest::keyClick(lst_, Qt::Key_Down);
    QTest::keyClick(lst_, Qt::Key_Return);
    EXPECT_TRUE(lst_->isHidden());
    EXPECT_EQ(control_->Text(), "een");
    EXPECT_EQ(control_->ListIndex(), 1);
}

TEST_F(BrixComboTest, EmptyTextAfterClosingShowsTheHintLabelEvenWithoutATip) {
    control_->Clear();
    ClickArrow();
    ClickArrow();  // nothing selected: nothing taken
    EXPECT_EQ(control_->Text(), "");
    EXPECT_FALSE(lbl_->isHidden());
    EXPECT_TRUE(txt_->isHidden());
    EXPECT_EQ(lbl_->text(), "");
    EXPECT_FALSE(lin_->isHidden());

    // Picking the blank design entry gives the same.
    control_->AddItem(" ", 0);
    control_->AddItem("een", 5);
    ClickControlAt(QPoint(20, 5));  // the hint: shows the text box and opens the list
    ASSERT_FALSE(lst_->isHidden());
    EXPECT_FALSE(txt_->isHidden());
    Pick(0);
    EXPECT_EQ(control_->Text(), " ");
    EXPECT_EQ(control_->ListIndex(), 0);
    EXPECT_FALSE(lbl_->isHidden());
    EXPECT_TRUE(txt_->isHidden());
}

TEST_F(BrixComboTest, ClickOnTheHintShowsTheTextAndOpensTheList) {
    control_->FieldTip("Land");
    control_->Clear();
    LeaveField();
    ASSERT_FALSE(lbl_->isHidden());
    ASSERT_TRUE(txt_->isHidden());
    EXPECT_EQ(lbl_->text(), "[Land]");
    ClickControlAt(QPoint(20, 5));
    EXPECT_FALSE(txt_->isHidden());
    EXPECT_FALSE(lst_->isHidden());
    // A click on the text now closes the list again.
    ClickText();
    EXPECT_TRUE(lst_->isHidden());
}

TEST_F(BrixComboTest, MandatoryAndTheSharedPropertiesBehaveAsOnTheTextBox) {
    control_->Mandatory(true);
    EXPECT_EQ(lin_->BorderColor(), 0x000000FFu);
    EXPECT_EQ(controls::PaletteColor(lbl_, QPalette::WindowText), 0x000000FFu);
    control_->FieldTip("Land");
    EXPECT_EQ(control_->FieldTip(), "[Land]");
    control_->Alignment(1);
    EXPECT_EQ(control_->Alignment(), 1);
    EXPECT_THROW(control_->Alignment(5), PlatformError);
    // The focus greys the read-only text box as well.
    FocusIntoText();
    EXPECT_EQ(controls::PaletteColor(txt_, QPalette::Base), 0x00E0E0E0u);
    ClickElsewhere();
    EXPECT_EQ(controls::PaletteColor(txt_, QPalette::Base), 0x00FFFFFFu);
}

TEST_F(BrixComboTest, NarrowControlKeepsItsTextBoxAtZeroWidth) {
    control_->resize(6, 40);  // 90 twips
    EXPECT_EQ(Width(control_), 90);
    EXPECT_EQ(txt_->width(), 0);
    EXPECT_EQ(lbl_->width(), 0);
    EXPECT_EQ(Left(img_), OnPixels(90 - 130));
    EXPECT_EQ(Height(control_), OnPixels(8.25 + 210 + 3));
    ClickArrow();
    EXPECT_FALSE(lst_->isHidden());
    EXPECT_EQ(Width(lst_), 90);
    control_->resize(300, control_->height());
    EXPECT_EQ(Width(txt_), OnPixels(4500 - 170));
}

}  // namespace
}  // namespace vendral
