// Library state that exists once per thread using the library, as the
// Windows component kept its globals per apartment.
#include "vendral/settings.h"

namespace vendral {

std::string& SettingsFilePath() {
    thread_local std::string path;
    return path;
}

DialogState& CurrentDialogState() {
    thread_local DialogState state;
    return state;
}

}  // namespace vendral
