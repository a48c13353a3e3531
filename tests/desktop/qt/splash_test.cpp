#include <gtest/gtest.h>

#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "desktop/qt/frm_splash.h"
#include "support/qt/modal_watcher.h"
#include "vendral/platform_error.h"
#include "vendral/widgets/csplash.h"

namespace vendral {
namespace {

std::string PeFile(const std::string& name) {
    return std::string(PE_TEST_DIR) + "/" + name;
}

QList<QProgressBar*> Bars() {
    qt::FrmSplash* form = qt::FrmSplash::Loaded();
    if (form == nullptr) return {};
    return form->Picture1->findChildren<QProgressBar*>();
}

TEST(SplashTest, ShowsTheApplicationNameAndVersion) {
    CSplash splash;
    EXPECT_EQ(qt::FrmSplash::Loaded(), nullptr);  // nothing on screen before the first show
    splash.ShowSplash(PeFile("abc.exe"));
    qt::FrmSplash* form = qt::FrmSplash::Loaded();
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->Label4->text(), "Application:");
    EXPECT_EQ(form->LblApplication->text(), "ABC");
    EXPECT_EQ(form->Label5->text(), "Version:");
    EXPECT_EQ(form->LblVersion->text(), "2.1.0.5");
    EXPECT_EQ(form->Label6->text(), "Program status:");
}

TEST(SplashTest, FormLayoutInPixelsOfAStandardDisplay) {
    CSplash splash;
    splash.ShowSplash(PeFile("abc.exe"));
    qt::FrmSplash* form = qt::FrmSplash::Loaded();
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->size(), QSize(414, 248));  // 6210 x 3720 twips
    EXPECT_EQ(form->minimumSize(), form->maximumSize());
    EXPECT_TRUE(form->windowTitle().trimmed().isEmpty());
    EXPECT_FALSE(form->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(form->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(form->LblApplication->geometry(), QRect(64, 128, 209, 17));
    EXPECT_EQ(form->Label6->geometry(), QRect(8, 192, 105, 17));
    EXPECT_EQ(form->Picture1->geometry(), QRect(8, 205, 145, 9));
    EXPECT_TRUE(form->LblVersion->font().bold());
    EXPECT_FALSE(form->Label5->font().bold());
    EXPECT_DOUBLE_EQ(form->Label5->font().pointSizeF(), 8.25);
    EXPECT_EQ(form->Label4->palette().color(QPalette::WindowText), QColor(0, 0, 128));
    EXPECT_FALSE(form->Label4->autoFillBackground());
    EXPECT_EQ(qt::SplashBackground().size(), QSize(415, 251));
    QImage icon = qt::SplashIcon().toImage();
    EXPECT_EQ(icon.size(), QSize(32, 32));
    EXPECT_LE(icon.colorCount(), 16);
    // The bar sits at the top left of its holder, as wide as it, 20 high.
    QList<QProgressBar*> bars = Bars();
    ASSERT_EQ(bars.size(), 1);
    EXPECT_EQ(bars.front()->geometry(), QRect(0, 0, 145, 20));
}

TEST(SplashTest, FileWithoutResourceGivesEmptyCaptionsOnANewObject) {
    CSplash splash;
    splash.ShowSplash(PeFile("plain.exe"));
    qt::FrmSplash* form = qt::FrmSplash::Loaded();
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->LblApplication->text(), "");
    EXPECT_EQ(form->LblVersion->text(), "");
}

TEST(SplashTest, SecondShowKeepsTheEarlierCaptionsAndAddsABar) {
    CSplash splash;
    splash.ShowSplash(PeFile("abc.exe"));
    splash.ShowSplash(PeFile("plain.exe"));
    qt::FrmSplash* form = qt::FrmSplash::Loaded();
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->LblApplication->text(), "ABC");
    EXPECT_EQ(Bars().size(), 2);
}

TEST(SplashTest, ElevenLoadStepsFillTheBarInTenEqualSteps) {
    CSplash splash;
    splash.ShowSplash(PeFile("abc.exe"));
    QList<QProgressBar*> bars = Bars();
    ASSERT_EQ(bars.size(), 1);
    QProgressBar* bar = bars.front();
    std::vector<int> shown;
    for (int i = 0; i < 11; ++i) {
        splash.LoadStep();
        shown.push_back(bar->value());
    }
    EXPECT_EQ(shown, (std::vector<int>{0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100}));
    splash.LoadStep();
    EXPECT_EQ(bar->value(), 100);
}

TEST(SplashTest, LoadStepBeforeShowIsADivisionByZeroAtTheSecondCall) {
    CSplash splash;
    splash.LoadStep();
    try {
        splash.LoadStep();
        FAIL() << "no error";
    } catch (const PlatformError& error) {
        EXPECT_EQ(error.Number(), 11);
    }
}

TEST(SplashTest, ReleasingTheObjectClosesTheForm) {
    QPointer<qt::FrmSplash> form;
    QPointer<QProgressBar> bar;
    {
        CSplash splash;
        splash.ShowSplash(PeFile("abc.exe"));
        form = qt::FrmSplash::Loaded();
        ASSERT_FALSE(form.isNull());
        bar = Bars().front();
    }
    EXPECT_TRUE(form.isNull());
    EXPECT_TRUE(bar.isNull());
    EXPECT_EQ(qt::FrmSplash::Loaded(), nullptr);
}

class WindowsFolder {
  public:
    WindowsFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "vendral-windir.XXXXXX").string();
        path = ::mkdtemp(pattern.data());
        const char* old = std::getenv("WINDIR");
        if (old != nullptr) old_ = old;
        ::setenv("WINDIR", path.c_str(), 1);
    }
    ~WindowsFolder() {
        if (old_) {
            ::setenv("WINDIR", old_->c_str(), 1);
        } else {
            ::unsetenv("WINDIR");
        }
        std::filesystem::remove_all(path);
    }
    std::filesystem::path path;

  private:
    std::optional<std::string> old_;
};

TEST(SplashTest, DoubleClickStartsQuvexOnlyWhenItIsThere) {
    WindowsFolder windir;
    CSplash splash;
    splash.ShowSplash(PeFile("abc.exe"));
    qt::FrmSplash* form = qt::FrmSplash::Loaded();
    ASSERT_NE(form, nullptr);
    // Not there: nothing happens, and nothing is reported.
    QTest::mouseDClick(form, Qt::LeftButton, {}, QPoint(300, 40));
    std::filesystem::path marker = windir.path / "started";
    EXPECT_FALSE(std::filesystem::exists(marker));

    std::filesystem::create_directories(windir.path / "SYSTEM");
    std::filesystem::path quvex = windir.path / "SYSTEM" / "QUVEX.EXE";
    std::ofstream(quvex) << "#!/bin/sh\necho started > '" << marker.string() << "'\n";
    std::filesystem::permissions(quvex, std::filesystem::perms::owner_all);
    QTest::mouseDClick(form, Qt::LeftButton, {}, QPoint(300, 40));
    EXPECT_TRUE(test::qt::WaitUntil([&] { return std::filesystem::exists(marker); }));
    // A file that cannot be started is swallowed too.
    std::filesystem::permissions(quvex, std::filesystem::perms::owner_read);
    std::filesystem::remove(marker);
    QTest::mouseDClick(form, Qt::LeftButton, {}, QPoint(300, 40));
    EXPECT_TRUE(form->isVisible());
}

}  // namespace
}  // namespace vendral
