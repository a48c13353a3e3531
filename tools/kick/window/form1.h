// Prodwell's window on Qt widgets: draws the controls and hands the click to
// the presenter, which holds what the window does.
#pragma once

#include <QWidget>
#include <string>

#include "form1_presenter.h"
#include "form1_view.h"
#include "window/run_window.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vendral::kick {

class Form1 : public QWidget, private Form1View {
    Q_OBJECT

  public:
    Form1(std::string settingsFile, const DatabaseFactory& makeDatabase, QWidget* parent = nullptr);
    ~Form1() override;

    KickDatabase& Database() const { return presenter_.Database(); }
    // True while a run goes on (a click then starts nothing).
    bool Running() const { return presenter_.Running(); }

  private:
    void SetText(Form1Item item, const std::string& text) override;
    std::string Text(Form1Item item) const override;
    Form1Check Check1Value() const override;
    void Focus(Form1Item item) override;
    void Repaint(Form1Item item) override;
    void ShowBox(Form1Box kind, const std::string& title, const std::string& text) override;
    QWidget* Widget(Form1Item item) const;

    QLabel* label1_;
    QLineEdit* txtAssociate_;
    QLabel* label4_;
    QLabel* label2_;
    QLineEdit* txtKickDate_;
    QCheckBox* check1_;
    QPushButton* command1_;
    QLabel* label3_;
    Form1Presenter presenter_;
};

}  // namespace vendral::kick
