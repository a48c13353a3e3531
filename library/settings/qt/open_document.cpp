#include "settings/qt/open_document.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QUrl>

namespace vendral::detail::qt {

// The desktop's opener, xdg-open, started from the root folder as the shell
// starts documents; without it, Qt's own desktop services.
bool OpenDocument(const std::string& path) {
    const QString file = QString::fromStdString(path);
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (!opener.isEmpty()) return QProcess::startDetached(opener, {file}, QStringLiteral("/"));
    return QDesktopServices::openUrl(QUrl::fromLocalFile(file));
}

}  // namespace vendral::detail::qt
