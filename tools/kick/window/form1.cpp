#include "window/form1.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>
#include <exception>

#include "vendral/widgets/qt_ui_host.h"

// Q_INIT_RESOURCE names a function of the global namespace.
static void InitProdwellResources() {
    Q_INIT_RESOURCE(prodwell);
}

namespace vendral::kick {
namespace {

QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

Form1::Form1(std::string settingsFile, const DatabaseFactory& makeDatabase, QWidget* parent)
    : QWidget(parent),
      label1_(new QLabel(this)),
      txtAssociate_(new QLineEdit(this)),
      label4_(new QLabel(this)),
      label2_(new QLabel(this)),
      txtKickDate_(new QLineEdit(this)),
      check1_(new QCheckBox(this)),
      command1_(new QPushButton(this)),
      label3_(new QLabel(this)),
      presenter_(*this, std::move(settingsFile)) {
    setObjectName(QStringLiteral("Form1"));
    label1_->setObjectName(QStringLiteral("Label1"));
    txtAssociate_->setObjectName(QStringLiteral("TxtAssociate"));
    label4_->setObjectName(QStringLiteral("Label4"));
    label2_->setObjectName(QStringLiteral("Label2"));
    txtKickDate_->setObjectName(QStringLiteral("TxtKickDate"));
    check1_->setObjectName(QStringLiteral("Check1"));
    command1_->setObjectName(QStringLiteral("Command1"));
    label3_->setObjectName(QStringLiteral("Label3"));
    presenter_.ShowTexts();

    label1_->setBuddy(txtAssociate_);
    label2_->setBuddy(txtKickDate_);
    label4_->setStyleSheet(QStringLiteral("color: palette(mid);"));

    // Layout in font-relative units, so that the window grows with the
    // screen's resolution and font size.
    auto* grid = new QGridLayout;
    grid->addWidget(label1_, 0, 0);
    grid->addWidget(txtAssociate_, 0, 1);
    grid->addWidget(label4_, 1, 1);
    grid->addWidget(label2_, 2, 0);
    grid->addWidget(txtKickDate_, 2, 1);
    grid->addWidget(check1_, 3, 1);
    grid->setColumnStretch(1, 1);
    auto* column = new QVBoxLayout(this);
    column->addLayout(grid);
    column->addSpacing(fontMetrics().height() / 2);
    column->addWidget(command1_);
    column->addWidget(label3_);
    int minimumWidth = fontMetrics().horizontalAdvance(label4_->text()) +
                       fontMetrics().horizontalAdvance(label1_->text()) +
                       fontMetrics().averageCharWidth() * 8;
    setMinimumWidth(minimumWidth);
    setTabOrder(txtAssociate_, txtKickDate_);
    setTabOrder(txtKickDate_, check1_);
    setTabOrder(check1_, command1_);

    connect(command1_, &QPushButton::clicked, this, [this] { presenter_.Command1_Click(); });
    presenter_.Load(makeDatabase);
}

Form1::~Form1() = default;

QWidget* Form1::Widget(Form1Item item) const {
    switch (item) {
        case Form1Item::Form1:
            return const_cast<Form1*>(this);
        case Form1Item::Label1:
            return label1_;
        case Form1Item::TxtAssociate:
            return txtAssociate_;
        case Form1Item::Label4:
            return label4_;
        case Form1Item::Label2:
            return label2_;
        case Form1Item::TxtKickDate:
            return txtKickDate_;
        case Form1Item::Check1:
            return check1_;
        case Form1Item::Command1:
            return command1_;
        case Form1Item::Label3:
            return label3_;
    }
    return nullptr;
}

void Form1::SetText(Form1Item item, const std::string& text) {
    QWidget* widget = Widget(item);
    const QString value = FromUtf8(text);
    if (widget == this)
        setWindowTitle(value);
    else if (auto* label = qobject_cast<QLabel*>(widget))
        label->setText(value);
    else if (auto* edit = qobject_cast<QLineEdit*>(widget))
        edit->setText(value);
    else if (auto* button = qobject_cast<QAbstractButton*>(widget))
        button->setText(value);
}

std::string Form1::Text(Form1Item item) const {
    QWidget* widget = Widget(item);
    if (widget == this) return windowTitle().toStdString();
    if (auto* label = qobject_cast<QLabel*>(widget)) return label->text().toStdString();
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) return edit->text().toStdString();
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) return button->text().toStdString();
    return {};
}

Form1Check Form1::Check1Value() const {
    switch (check1_->checkState()) {
        case Qt::Unchecked:
            return Form1Check::Unchecked;
        case Qt::Checked:
            return Form1Check::Checked;
        case Qt::PartiallyChecked:
            return Form1Check::Grey;
    }
    return Form1Check::Unchecked;
}

void Form1::Focus(Form1Item item) {
    Widget(item)->setFocus();
}

void Form1::Repaint(Form1Item) {
    // Qt repaints a changed label at the next event processing, which the run
    // does after every logged row.
}

void Form1::ShowBox(Form1Box kind, const std::string& title, const std::string& text) {
    QMessageBox box(kind == Form1Box::Error ? QMessageBox::Warning : QMessageBox::NoIcon,
                    FromUtf8(title), FromUtf8(text), QMessageBox::Ok, this);
    if (kind == Form1Box::Result) box.setObjectName(QStringLiteral("KickDoneBox"));
    box.exec();
}

int RunWindow(int& argc, char** argv, const std::string& settingsFile,
              const DatabaseFactory& makeDatabase) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(kProdwellTitle));
    // The icon lives in this static library, whose resources nobody else
    // registers.
    InitProdwellResources();
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/prodwell/prodwell.svg")));
    // The widget library's host shows the library's boxes, the busy pointer,
    // the settings dialog and the events of a run. Installed here by name, so
    // that no linker drops the widget library as unused.
    InstallQtUiHost();
    std::unique_ptr<Form1> window;
    try {
        window = std::make_unique<Form1>(settingsFile, makeDatabase);
    } catch (const std::exception& error) {
        // The class could not be created (a registration whose library is
        // gone, for instance): there is no window to work in.
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Error"), FromUtf8(error.what()),
                        QMessageBox::Ok);
        box.exec();
        return 1;
    }
    window->show();
    return QApplication::exec();
}

}  // namespace vendral::kick
