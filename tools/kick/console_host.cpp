#include "console_host.h"

#include "vendral/settings.h"

namespace vendral::kick {

std::string OneLine(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            if (!out.empty() && out.back() != ' ') out += ' ';
        } else {
            out += c;
        }
    }
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

int ConsoleHost::MessageBox(const std::string& text, const std::string& /*title*/,
                            MessageIcon /*icon*/) {
    messages_.push_back(OneLine(text));
    return 1;
}

void ConsoleHost::SetMousePointer(int /*pointer*/) {}

void ConsoleHost::DoEvents() {}

void ConsoleHost::RefuseSettingsDialog() {
    messages_.push_back("the settings file " + SettingsFilePath() + " does not exist");
    CurrentDialogState().Cancelled = true;
}

std::string ConsoleHost::Messages() const {
    std::string joined;
    for (const std::string& message : messages_) {
        if (!joined.empty()) joined += "; ";
        joined += message;
    }
    return joined;
}

}  // namespace vendral::kick
