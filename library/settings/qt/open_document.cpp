#include "settings/qt/open_document.h"

#include "vendral/capplication.h"

namespace vendral::qt {

// Documents open through the desktop's opener, as CApplication starts them.
bool OpenDocument(const std::string& path) {
    return CApplication().StartApplication(path).ToLong() > 32;
}

}  // namespace vendral::qt
