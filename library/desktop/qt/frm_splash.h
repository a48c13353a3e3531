// The splash form, one per thread, made the first time any of its controls is
// touched: it shows itself (modeless) while it loads.
#pragma once

#include <QLabel>
#include <QPixmap>
#include <QWidget>

#include "base/internal_export.h"

namespace vendral::detail::qt {

class VENDRAL_TEST_INTERNAL FrmSplash : public QWidget {
    Q_OBJECT
  public:
    // The thread's form, created, loaded and shown when there is none.
    static FrmSplash& Instance();
    // The thread's form when it is loaded, else nullptr; nothing is created.
    static FrmSplash* Loaded();
    // Closes the thread's form and destroys it with its controls.
    static void Unload();

    QLabel* Label4 = nullptr;
    QLabel* LblApplication = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* LblVersion = nullptr;
    QLabel* Label6 = nullptr;
    QWidget* Picture1 = nullptr;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    FrmSplash();
    void Load();
    QPixmap background_;
};

// The artwork of the splash, drawn by us: a 415 x 251 background and a
// 32 x 32 icon.
VENDRAL_TEST_INTERNAL QPixmap SplashBackground();
VENDRAL_TEST_INTERNAL QPixmap SplashIcon();

}  // namespace vendral::detail::qt

// The library's own code names these without the detail qualifier.
namespace vendral {
namespace qt = detail::qt;
}  // namespace vendral
