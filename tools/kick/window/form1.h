// Prodwell's window: an associate, a kick date, "Skip Tasks" and the button
// that re-logs the synchronizer's appointments and tasks.
#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "kick.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vendral::kick {

// Makes the window's CDatabase object (through the component entry points in
// the program; tests may hand in their own way of making it).
using DatabaseFactory = std::function<std::shared_ptr<KickDatabase>()>;

class Form1 : public QWidget {
    Q_OBJECT

  public:
    // Creates the CDatabase object and opens its central connection from the
    // settings file; a missing file shows the settings dialog through the UI
    // host. The result of the opening is not looked at: the library reports
    // its own connection problems, and a run says when there is no connection.
    Form1(std::string settingsFile, const DatabaseFactory& makeDatabase, QWidget* parent = nullptr);
    ~Form1() override;

    KickDatabase& Database() const { return *database_; }
    // True while a run goes on (a click then starts nothing).
    bool Running() const { return running_; }

  private:
    void Command1_Click();
    void RunOnce();
    // The request from the text boxes and the check box; false (after saying
    // why) when the kick date cannot be read.
    bool ReadRequest(KickRequest& request);
    void ShowError(const QString& text);

    std::string settingsFile_;
    std::shared_ptr<KickDatabase> database_;
    bool running_ = false;

    QLabel* label1_;
    QLineEdit* txtAssociate_;
    QLabel* label4_;
    QLabel* label2_;
    QLineEdit* txtKickDate_;
    QCheckBox* check1_;
    QPushButton* command1_;
    QLabel* label3_;
};

// The window's program: a QApplication, Form1 for the settings file, and the
// event loop until the window is closed. Returns the program's exit status.
int RunWindow(int& argc, char** argv, const std::string& settingsFile,
              const DatabaseFactory& makeDatabase);

}  // namespace vendral::kick
