// Library state that exists once per thread using the library, as the
// Windows component kept its globals per apartment.
#include "settings/settings_state.h"

namespace vendral {
namespace {

std::string& SettingsFileVariable() {
    thread_local std::string path;
    return path;
}

}  // namespace

const std::string& SettingsFilePath() {
    return SettingsFileVariable();
}

void SetSettingsFilePath(const std::string& path) {
    SettingsFileVariable() = path;
}

DialogState& CurrentDialogState() {
    thread_local DialogState state;
    return state;
}

}  // namespace vendral
