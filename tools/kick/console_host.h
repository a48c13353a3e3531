// The user-interface host of prodwell's command line: message boxes of the
// library are kept and reported by the program in one line, and the settings
// dialog, which a command line cannot show, counts as cancelled.
#pragma once

#include <string>
#include <vector>

#include "vendral/ui_host.h"

namespace vendral::kick {

class ConsoleHost : public UiHost {
  public:
    int MessageBox(const std::string& text, const std::string& title, MessageIcon icon) override;
    void SetMousePointer(int pointer) override;
    void DoEvents() override;
    // Replaces the settings dialog while the host is installed.
    void RefuseSettingsDialog();

    // The texts shown so far, each on one line, joined with "; ".
    std::string Messages() const;

  private:
    std::vector<std::string> messages_;
};

// The text with its line breaks turned into single blanks.
std::string OneLine(const std::string& text);

}  // namespace vendral::kick
