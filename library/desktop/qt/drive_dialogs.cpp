// The dialogs for mapping and removing a network drive, installed for CFile
// when the widget library is loaded.
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "vendral/cfile.h"

namespace vendral::detail::qt {
namespace {

constexpr std::int32_t kDone = 0;
constexpr std::int32_t kCancelled = -1;

bool HaveWidgetApplication() {
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

QString DriveText(const DriveMapping& mapping) {
    return QStringLiteral("%1  %2").arg(QString::fromStdString(mapping.Drive),
                                        QString::fromStdString(mapping.Target));
}

// Share, drive letter (the free ones, D: to Z:), user and password; "Connect"
// maps the drive and closes the dialog, a refusal keeps it open with the error.
std::int32_t RunConnectDialog(CFile& file) {
    QDialog dialog;
    dialog.setObjectName(QStringLiteral("DriveConnectDialog"));
    dialog.setWindowTitle(QStringLiteral("Map Network Drive"));
    auto* form = new QFormLayout;
    auto* drive = new QComboBox;
    drive->setObjectName(QStringLiteral("Drive"));
    std::vector<DriveMapping> used = file.Connections().Connections();
    for (char letter = 'D'; letter <= 'Z'; ++letter) {
        std::string name = std::string(1, letter) + ":";
        bool taken = false;
        for (const DriveMapping& m : used) taken = taken || m.Drive == name;
        if (!taken) drive->addItem(QString::fromStdString(name));
    }
    auto* share = new QLineEdit;
    share->setObjectName(QStringLiteral("Folder"));
    share->setPlaceholderText(QStringLiteral("\\\\server\\share"));
    auto* user = new QLineEdit;
    user->setObjectName(QStringLiteral("User"));
    auto* password = new QLineEdit;
    password->setObjectName(QStringLiteral("Password"));
    password->setEchoMode(QLineEdit::Password);
    auto* status = new QLabel;
    status->setObjectName(QStringLiteral("Status"));
    form->addRow(QStringLiteral("&Drive:"), drive);
    form->addRow(QStringLiteral("&Folder:"), share);
    form->addRow(QStringLiteral("&User name:"), user);
    form->addRow(QStringLiteral("&Password:"), password);
    form->addRow(status);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel);
    QPushButton* connect =
        buttons->addButton(QStringLiteral("Connect"), QDialogButtonBox::AcceptRole);
    connect->setObjectName(QStringLiteral("Connect"));
    connect->setDefault(true);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addLayout(form);
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(connect, &QPushButton::clicked, &dialog, [&] {
        NullableString u = user->text().toStdString(), p = password->text().toStdString();
        if (drive->currentText().isEmpty() || share->text().trimmed().isEmpty()) {
            status->setText(QStringLiteral("Choose a drive and enter a folder."));
            return;
        }
        if (file.ConnectThisNetworkDrive(share->text().toStdString(),
                                         drive->currentText().toStdString(), &u, &p)) {
            dialog.accept();
        } else {
            status->setText(QStringLiteral("The folder could not be connected to %1.")
                                .arg(drive->currentText()));
        }
    });
    return dialog.exec() == QDialog::Accepted ? kDone : kCancelled;
}

// The mapped drives; "Disconnect" removes the chosen one.
std::int32_t RunDisconnectDialog(CFile& file) {
    QDialog dialog;
    dialog.setObjectName(QStringLiteral("DriveDisconnectDialog"));
    dialog.setWindowTitle(QStringLiteral("Disconnect Network Drives"));
    auto* list = new QListWidget;
    list->setObjectName(QStringLiteral("Drives"));
    for (const DriveMapping& m : file.Connections().Connections()) {
        auto* item = new QListWidgetItem(DriveText(m), list);
        item->setData(Qt::UserRole, QString::fromStdString(m.Drive));
    }
    if (list->count() > 0) list->setCurrentRow(0);
    auto* status = new QLabel;
    status->setObjectName(QStringLiteral("Status"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel);
    QPushButton* disconnect =
        buttons->addButton(QStringLiteral("Disconnect"), QDialogButtonBox::AcceptRole);
    disconnect->setObjectName(QStringLiteral("Disconnect"));
    disconnect->setEnabled(list->count() > 0);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(QStringLiteral("Select the network drives to disconnect:")));
    layout->addWidget(list);
    layout->addWidget(status);
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(disconnect, &QPushButton::clicked, &dialog, [&] {
        QListWidgetItem* item = list->currentItem();
        if (item == nullptr) return;
        std::int32_t result =
            file.DisconnectThisNetworkDrive(item->data(Qt::UserRole).toString().toStdString());
        if (result == 0) {
            dialog.accept();
        } else {
            status->setText(
                QStringLiteral("The drive could not be disconnected (%1).").arg(result));
        }
    });
    return dialog.exec() == QDialog::Accepted ? kDone : kCancelled;
}

class QtDriveDialogs : public DriveDialogs {
  public:
    std::int32_t ShowConnect(std::int32_t, CFile& file) override {
        return HaveWidgetApplication() ? RunConnectDialog(file) : kCancelled;
    }
    std::int32_t ShowDisconnect(std::int32_t, CFile& file) override {
        return HaveWidgetApplication() ? RunDisconnectDialog(file) : kCancelled;
    }
};

[[maybe_unused]] const bool kInstalledAtLoad = [] {
    InstallDriveDialogs(std::make_shared<QtDriveDialogs>());
    return true;
}();

}  // namespace
}  // namespace vendral::detail::qt
