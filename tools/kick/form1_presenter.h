// Prodwell's window without a toolkit: its texts, how a click reads the
// associate, the kick date and "Skip Tasks", the run with its running count,
// and the boxes that end it. Both faces of the window drive one of these.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "form1_view.h"
#include "kick.h"
#include "kick_database.h"

namespace vendral::kick {

// Makes the window's CDatabase object (through the component entry points in
// the program; tests may hand in their own way of making it).
using DatabaseFactory = std::function<std::shared_ptr<KickDatabase>()>;

// The program's title, which the box of a finished run carries.
inline constexpr const char* kProdwellTitle = "Prodwell";

class Form1Presenter {
  public:
    Form1Presenter(Form1View& view, std::string settingsFile);

    // Puts the design's texts into the window (before the face lays it out).
    void ShowTexts();
    // Creates the CDatabase object and opens its central connection from the
    // settings file; a missing file shows the settings dialog through the UI
    // host. The result of the opening is not looked at: the library reports
    // its own connection problems, and a run says when there is no connection.
    void Load(const DatabaseFactory& makeDatabase);

    // Command1's click. Pending events run after every logged row, so a click
    // can arrive while a run goes on: it starts nothing.
    void Command1_Click();

    bool Running() const { return running_; }
    KickDatabase& Database() const { return *database_; }

  private:
    void RunOnce();
    bool ReadRequest(KickRequest& request);
    void ShowError(const std::string& text);

    Form1View& view_;
    std::string settingsFile_;
    std::shared_ptr<KickDatabase> database_;
    bool running_ = false;
};

}  // namespace vendral::kick
