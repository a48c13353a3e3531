// The prodwell that users run: a Release build installed with cmake --install
// (the release_install fixture), started as its own process on the test run's
// X server with a window manager, driven by real X input (xdotool) and looked
// at from outside (window titles, screenshots, the database, the settings file).
#include <gtest/gtest.h>
#include <sql.h>
#include <sqlext.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QPoint>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QTest>
#include <QWidget>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <utility>
#include <vector>

#include "pointer_image.h"
#include "support/qt/screenshot.h"
#include "support/test_database.h"
#include "vendral/settings.h"

namespace vendral::test::qt {
namespace {

namespace fs = std::filesystem;

// Appointments of a run long enough to be watched (each is logged).
constexpr int kRows = 6000;

std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

QString Tool(const QString& program, const QStringList& arguments, bool* ok = nullptr) {
    QProcess process;
    process.start(program, arguments);
    bool done = process.waitForFinished(20000) && process.exitStatus() == QProcess::NormalExit &&
                process.exitCode() == 0;
    if (ok) *ok = done;
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

QString Xdotool(const QStringList& arguments, bool* ok = nullptr) {
    return Tool(QStringLiteral("xdotool"), arguments, ok);
}

// The windows of process pid whose title is exactly title.
QStringList WindowsOf(qint64 pid, const QString& title) {
    QString found =
        Xdotool({QStringLiteral("search"), QStringLiteral("--all"), QStringLiteral("--onlyvisible"),
                 QStringLiteral("--pid"), QString::number(pid), QStringLiteral("--name"),
                 QLatin1Char('^') + QRegularExpression::escape(title) + QLatin1Char('$')});
    return found.isEmpty() ? QStringList() : found.split(QLatin1Char('\n'));
}

QString WaitForWindow(qint64 pid, const QString& title, int milliseconds = 60000) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds) {
        QStringList windows = WindowsOf(pid, title);
        if (!windows.isEmpty()) return windows.first();
        QTest::qWait(100);
    }
    return {};
}

// Gives the window the focus (the window manager may take a moment on a busy
// machine; keys sent before it has would be lost) and sends it keys through
// the X server.
void Keys(const QString& window, const QStringList& keys) {
    QElapsedTimer timer;
    timer.start();
    do {
        Xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), window});
        if (Xdotool({QStringLiteral("getactivewindow")}) == window) break;
        QTest::qWait(100);
    } while (timer.elapsed() < 10000);
    for (const QString& key : keys)
        Xdotool({QStringLiteral("key"), QStringLiteral("--clearmodifiers"), key});
}

// Waits until the window manager has placed the window (its position and size
// no longer change), so that clicks land on the controls aimed at.
void WaitUntilPlaced(const QString& window) {
    QString before;
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 10000) {
        QString now = Xdotool({QStringLiteral("getwindowgeometry"), window});
        if (!now.isEmpty() && now == before) return;
        before = now;
        QTest::qWait(300);
    }
}

// Every image the pointer shows over window within two seconds: a themed busy
// pointer is animated, and shows its frames in turn.
std::vector<PointerImage> PointerImagesOver(const QString& window) {
    Xdotool({QStringLiteral("mousemove"), QStringLiteral("--sync"), QStringLiteral("--window"),
             window, QStringLiteral("20"), QStringLiteral("20")});
    QTest::qWait(300);
    std::vector<PointerImage> seen;
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 2000) {
        PointerImage now = CurrentPointerImage();
        if (!now.Empty() && std::find(seen.begin(), seen.end(), now) == seen.end())
            seen.push_back(now);
        QTest::qWait(40);
    }
    return seen;
}

bool SharesAnImage(const std::vector<PointerImage>& one, const std::vector<PointerImage>& other) {
    return std::any_of(one.begin(), one.end(), [&](const PointerImage& image) {
        return std::find(other.begin(), other.end(), image) != other.end();
    });
}

// Qt's images of the busy and of the normal pointer on this display, read over
// a window of the test's own.
std::pair<std::vector<PointerImage>, std::vector<PointerImage>> BusyAndNormalPointers() {
    QWidget probe;
    probe.setWindowTitle(QStringLiteral("pointer probe"));
    probe.resize(160, 120);
    probe.setCursor(Qt::WaitCursor);
    probe.show();
    if (!QTest::qWaitForWindowExposed(&probe)) return {};
    const QString window = QString::number(probe.winId());
    std::vector<PointerImage> busy = PointerImagesOver(window);
    probe.setCursor(Qt::ArrowCursor);
    std::vector<PointerImage> normal = PointerImagesOver(window);
    return {busy, normal};
}

// Types text into window's focused control a character at a time, giving the
// window the focus again before each: on a loaded machine the window manager
// has been seen to move the focus away in the middle of a typed word, and the
// rest of it went elsewhere.
void TypeInto(const QString& window, const QString& text) {
    for (const QChar c : text) {
        Keys(window, {});
        Xdotool({QStringLiteral("type"), QString(c)});
    }
}

// Presses key count times in window, giving it the focus again before each.
void PressInto(const QString& window, const QString& key, int count) {
    for (int i = 0; i < count; ++i) Keys(window, {key});
}

QImage Grab(const QString& window) {
    return QGuiApplication::primaryScreen()->grabWindow(window.toULongLong()).toImage();
}

// make screenshots keeps pictures of what the test saw (VENDRAL_SCREENSHOT_DIR):
// the window with the frame and title bar the window manager gave it.
void Shot(const QString& window, const char* name) {
    const QString folder = qEnvironmentVariable("VENDRAL_SCREENSHOT_DIR");
    if (folder.isEmpty()) return;
    const QString info = Tool(QStringLiteral("xwininfo"), {QStringLiteral("-id"), window});
    auto field = [&info](const char* label) {
        QRegularExpression pattern(QLatin1String(label) + QStringLiteral(":\\s+(-?\\d+)"));
        return pattern.match(info).captured(1).toInt();
    };
    // _NET_FRAME_EXTENTS(CARDINAL) = left, right, top, bottom
    const QStringList extents =
        Tool(QStringLiteral("xprop"),
             {QStringLiteral("-id"), window, QStringLiteral("_NET_FRAME_EXTENTS")})
            .section(QLatin1Char('='), 1)
            .split(QLatin1Char(','));
    auto extent = [&extents](int index) {
        return extents.size() == 4 ? extents[index].trimmed().toInt() : 0;
    };
    QImage image = QGuiApplication::primaryScreen()
                       ->grabWindow(0, field("Absolute upper-left X") - extent(0),
                                    field("Absolute upper-left Y") - extent(2),
                                    field("Width") + extent(0) + extent(1),
                                    field("Height") + extent(2) + extent(3))
                       .toImage();
    EXPECT_TRUE(image.save(folder + QLatin1Char('/') + QLatin1String(name))) << name;
}

// The whole screen, when a window did not come, for the one who looks into it.
std::string ScreenOnFailure(const char* name) {
    const QString folder = qEnvironmentVariable("VENDRAL_SCREENSHOT_DIR");
    if (folder.isEmpty()) return " (set VENDRAL_SCREENSHOT_DIR for a picture of the screen)";
    const QString path = folder + QLatin1Char('/') + QLatin1String(name);
    QGuiApplication::primaryScreen()->grabWindow(0).save(path);
    return " (the screen: " + path.toStdString() + ")";
}

// The lower third of the window, where the count of the run stands.
QByteArray CountAreaHash(const QImage& window) {
    QImage area = window.copy(0, window.height() * 2 / 3, window.width(), window.height() / 3)
                      .convertToFormat(QImage::Format_RGB32);
    return QCryptographicHash::hash(
        QByteArrayView(reinterpret_cast<const char*>(area.constBits()), area.sizeInBytes()),
        QCryptographicHash::Sha1);
}

// Where to click the run's button: the layout follows the font, so the test
// finds the button in a picture of the window. Below it only the count stands
// (empty before a run) on the window's background, so from the bottom up the
// first pixel that differs from the background, a quarter of the width in, is
// the button's lower edge; the point returned lies a few pixels above it.
QPoint RunButton(const QImage& window) {
    const int x = window.width() / 4;
    const QRgb background = window.pixel(x, window.height() - 2);
    for (int y = window.height() - 2; y > window.height() / 3; --y)
        if (window.pixel(x, y) != background) return {x, y - 6};
    return {-1, -1};
}

void Click(const QString& window, QPoint at) {
    Xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), window,
             QString::number(at.x()), QString::number(at.y()), QStringLiteral("click"),
             QStringLiteral("1")});
}

// The first picture of the window's icon as the window manager reads it
// (_NET_WM_ICON: width, height, then that many pixels as ARGB); null when the
// window has none.
QImage WindowIcon(const QString& window) {
    const QStringList numbers =
        Tool(QStringLiteral("xprop"),
             {QStringLiteral("-id"), window, QStringLiteral("-notype"), QStringLiteral("-f"),
              QStringLiteral("_NET_WM_ICON"), QStringLiteral("32c"), QStringLiteral(" = $0+\\n"),
              QStringLiteral("_NET_WM_ICON")})
            .section(QLatin1Char('='), 1)
            .split(QLatin1Char(','), Qt::SkipEmptyParts);
    if (numbers.size() < 2) return {};
    const int width = numbers[0].trimmed().toInt();
    const int height = numbers[1].trimmed().toInt();
    if (width <= 0 || height <= 0 || numbers.size() < 2 + width * height) return {};
    QImage icon(width, height, QImage::Format_ARGB32);
    for (int i = 0; i < width * height; ++i)
        icon.setPixel(i % width, i / width, numbers[2 + i].trimmed().toUInt());
    return icon;
}

// The mean difference of two pictures of one size, per channel of a pixel
// (0 to 255); 255 when their sizes differ.
double MeanDifference(const QImage& one, const QImage& other) {
    if (one.size() != other.size() || one.isNull()) return 255;
    double sum = 0;
    for (int y = 0; y < one.height(); ++y) {
        for (int x = 0; x < one.width(); ++x) {
            const QRgb a = one.pixel(x, y);
            const QRgb b = other.pixel(x, y);
            sum += std::abs(qAlpha(a) - qAlpha(b)) + std::abs(qRed(a) - qRed(b)) +
                   std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b));
        }
    }
    return sum / (4.0 * one.width() * one.height());
}

// The position of name among the data sources the driver manager lists, in
// the order the settings dialog shows them.
int DataSourceIndex(const std::string& name) {
    SQLHENV environment = SQL_NULL_HENV;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &environment))) return -1;
    SQLSetEnvAttr(environment, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3),
                  0);
    int index = -1;
    SQLCHAR dsn[1024];
    SQLCHAR description[1024];
    SQLSMALLINT dsnLength = 0;
    SQLSMALLINT descriptionLength = 0;
    for (int i = 0;
         SQL_SUCCEEDED(SQLDataSources(environment, SQL_FETCH_NEXT, dsn, sizeof dsn, &dsnLength,
                                      description, sizeof description, &descriptionLength));
         ++i) {
        if (name == reinterpret_cast<const char*>(dsn)) {
            index = i;
            break;
        }
    }
    SQLFreeHandle(SQL_HANDLE_ENV, environment);
    return index;
}

// The program's folder as the program finds it.
enum class Folder { Writable, ReadOnly, ReadOnlyButItsSettingsFile };

class InstalledProdwell : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!RealDisplayAvailable()) GTEST_SKIP() << "no X server";
        // Another installation (an older tree's, say) may be tested instead.
        const QString other = qEnvironmentVariable("VENDRAL_TEST_INSTALLED_PREFIX");
        fs::path installed =
            other.isEmpty() ? fs::path(VENDRAL_INSTALLED_PREFIX) : fs::path(other.toStdString());
        ASSERT_TRUE(fs::exists(installed / "bin" / "prodwell"))
            << "the release_install test installs the Release build into " << installed;
        // A copy per test, so that the settings file beside the program is its own.
        root_ = TestOdbc::Instance().ScratchPath(
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root_);
        fs::create_directories(root_);
        fs::copy(installed, root_ / "usr",
                 fs::copy_options::recursive | fs::copy_options::copy_symlinks);
        config_ = root_ / "config";
        central_ = std::make_unique<TestDatabase>(Engine::SQLite);
    }

    void TearDown() override {
        if (process_ && process_->state() != QProcess::NotRunning) {
            process_->kill();
            process_->waitForFinished(10000);
        }
        std::error_code ignored;
        if (!root_.empty())
            fs::permissions(Program().parent_path(), fs::perms::owner_all, fs::perm_options::add,
                            ignored);
    }

    fs::path Program() const { return root_ / "usr" / "bin" / "prodwell"; }

    // The environment of a user of the installation: the library folder on the
    // search path, no registration, the test run's display.
    QProcessEnvironment Environment() const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("LD_LIBRARY_PATH"),
                           QString::fromStdString((root_ / "usr" / "lib").string()));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), QString::fromStdString(config_));
        environment.insert(QStringLiteral("VENDRAL_REGISTRY"),
                           QString::fromStdString((root_ / "none.reg").string()));
        environment.remove(QStringLiteral("LD_PRELOAD"));
        return environment;
    }

    // Starts a late-bound client of the installed core alone: the Python
    // client, or the C program.
    void StartClient(bool python, const fs::path& settings, QProcessEnvironment environment,
                     const QString& script = QStringLiteral(VENDRAL_OPEN_WITH_DIALOG_SCRIPT)) {
        const QString core =
            QString::fromStdString((root_ / "usr" / "lib" / "libvendral.so.1").string());
        environment.insert(QStringLiteral("PYTHONPATH"), QStringLiteral(VENDRAL_PYTHON_SOURCE));
        environment.insert(QStringLiteral("PYTHONDONTWRITEBYTECODE"), QStringLiteral("1"));
        environment.insert(QStringLiteral("VENDRAL_LIBRARY"), core);
        // The C program is built with the test build's sanitizer; the library is not.
        environment.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
        process_ = std::make_unique<QProcess>();
        errors_.clear();
        process_->setProcessEnvironment(environment);
        process_->setProcessChannelMode(QProcess::SeparateChannels);
        const QString file = QString::fromStdString(settings.string());
        if (python) {
            QStringList arguments = {script, file};
            if (script == QStringLiteral(VENDRAL_OPEN_WITH_DIALOG_SCRIPT))
                arguments << QStringLiteral("appointment");
            process_->start(QStringLiteral(VENDRAL_PYTHON), arguments);
        } else {
            process_->start(QStringLiteral(VENDRAL_C_CLIENT),
                            {core, file, QStringLiteral("appointment")});
        }
        ASSERT_TRUE(process_->waitForStarted(10000));
    }

    // Starts the installed program with arguments (none: as a user types it),
    // in a program folder it may write in or not.
    void Start(Folder folder = Folder::Writable, const QStringList& arguments = {},
               const QProcessEnvironment& environment = {}) {
        process_ = std::make_unique<QProcess>();
        errors_.clear();
        process_->setProcessEnvironment(environment.isEmpty() ? Environment() : environment);
        process_->setProcessChannelMode(QProcess::SeparateChannels);
        const QString program = QString::fromStdString(Program().string());
        const fs::path settings = Program().parent_path() / "prodwell.ini";
        if (folder == Folder::Writable) {
            process_->start(program, arguments);
        } else if (geteuid() != 0) {
            const auto write =
                fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
            fs::permissions(Program().parent_path(), write, fs::perm_options::remove);
            if (folder == Folder::ReadOnly && fs::exists(settings))
                fs::permissions(settings, write, fs::perm_options::remove);
            process_->start(program, arguments);
        } else {
            // The superuser writes in any folder and file whatever its mode: a
            // mount of its own, read-only, is a folder it cannot write; the
            // settings file may be mounted again over it, writable.
            QString script =
                QStringLiteral("mount --bind \"$0\" \"$0\" && mount -o remount,bind,ro \"$0\" && ");
            if (folder == Folder::ReadOnlyButItsSettingsFile) {
                script += QStringLiteral(
                    "mount --bind \"$0/prodwell.ini\" \"$0/prodwell.ini\" && "
                    "mount -o remount,bind,rw \"$0/prodwell.ini\" && ");
            }
            script += QStringLiteral("exec \"$@\"");
            process_->start(
                QStringLiteral("unshare"),
                QStringList{QStringLiteral("-m"), QStringLiteral("sh"), QStringLiteral("-c"),
                            script, QString::fromStdString(Program().parent_path().string()),
                            program} +
                    arguments);
        }
        ASSERT_TRUE(process_->waitForStarted(10000));
    }

    // What the program wrote on standard error so far (kept for the messages).
    std::string Errors() {
        errors_ += process_->readAllStandardError().toStdString();
        return errors_;
    }

    // The window of the program: its process is the one started (unshare
    // execs it in place).
    qint64 Pid() const { return process_->processId(); }

    // Types the test database into the open settings dialog and saves it.
    void FillAndSaveDialog(const QString& dialog) {
        int index = DataSourceIndex(central_->Dsn());
        ASSERT_GE(index, 0) << central_->Dsn();
        // Into the user id box, then back to the data-source list by the keyboard.
        QStringList keys = {QStringLiteral("shift+Tab"), QStringLiteral("Home")};
        WaitUntilPlaced(dialog);
        Keys(dialog, {});
        Xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), dialog,
                 QStringLiteral("60"), QStringLiteral("128"), QStringLiteral("click"),
                 QStringLiteral("1")});
        QTest::qWait(200);
        Keys(dialog, keys);
        for (int i = 0; i < index; ++i) Keys(dialog, {QStringLiteral("Down")});
        Keys(dialog, {QStringLiteral("Tab")});
        TypeInto(dialog, QString::fromStdString(Uid()));
        Keys(dialog, {QStringLiteral("Tab")});
        TypeInto(dialog, QString::fromStdString(central_->Pwd()));
        // The table prefix ("main" for SQLite), in its box beside the list.
        Xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), dialog,
                 QStringLiteral("250"), QStringLiteral("49"), QStringLiteral("click"),
                 QStringLiteral("1")});
        QTest::qWait(200);
        // The design's "CRM5" goes, key by key.
        Keys(dialog, {QStringLiteral("End")});
        PressInto(dialog, QStringLiteral("BackSpace"), 8);
        TypeInto(dialog, QString::fromStdString(Prefix()));
        Keys(dialog, {QStringLiteral("alt+s")});
        // Saved: the dialog goes (an "Error" box would say what was missing).
        QElapsedTimer timer;
        timer.start();
        while (!WindowsOf(Pid(), QStringLiteral("ODBC Settings")).isEmpty() &&
               timer.elapsed() < 30000)
            QTest::qWait(100);
        ASSERT_TRUE(WindowsOf(Pid(), QStringLiteral("ODBC Settings")).isEmpty())
            << "the dialog did not take the settings" << ScreenOnFailure("failed-dialog.png");
    }

    // The table prefix as the dialog takes it, without the final dot.
    std::string Prefix() const {
        std::string prefix = central_->Prefix();
        if (!prefix.empty() && prefix.back() == '.') prefix.pop_back();
        return prefix;
    }

    // The dialog asks for a user id; SQLite takes any.
    std::string Uid() const { return central_->Uid().empty() ? "crm" : central_->Uid(); }

    void AddAppointments() {
        central_->Exec("INSERT INTO syncusers (associate_id) VALUES (12)");
        // Due after the window's kick date (8 June 2008), all of associate 12.
        central_->Exec(
            "INSERT INTO appointment (appointment_id, associate_id, registered_associate_id, "
            "do_by, type) WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i "
            "< " +
            std::to_string(kRows) + ") SELECT i, 12, 12, 1300000000 + i, 1 FROM n");
        central_->Exec(
            "INSERT INTO syncsoapp (appointment_id) SELECT appointment_id FROM appointment");
    }

    std::int64_t Logged() {
        return central_->Scalar("SELECT COUNT(*) FROM traveltransactionlog").ToLongLong();
    }

    fs::path root_;
    fs::path config_;
    std::unique_ptr<TestDatabase> central_;
    std::unique_ptr<QProcess> process_;
    std::string errors_;
};

TEST_F(InstalledProdwell,
       MissingSettingsShowTheDialogAndTheRunRepaintsItsCountAndTakesNoSecondClick) {
    AddAppointments();
    Start();
    QString dialog = WaitForWindow(Pid(), QStringLiteral("ODBC Settings"));
    ASSERT_FALSE(dialog.isEmpty()) << "the settings dialog did not show";
    FillAndSaveDialog(dialog);

    QString window = WaitForWindow(Pid(), QStringLiteral("Kavelo - Oracle"));
    ASSERT_FALSE(window.isEmpty())
        << "the window did not show" << ScreenOnFailure("failed-window.png");
    QTest::qWait(500);
    Shot(window, "prodwell-window.png");
    fs::path saved = Program().parent_path() / "prodwell.ini";
    std::string settings = Slurp(saved);
    EXPECT_NE(settings.find("DSN=" + central_->Dsn() + "\n"), std::string::npos) << settings;
    EXPECT_NE(settings.find("UID=" + Uid() + "\n"), std::string::npos) << settings;
    ASSERT_NE(settings.find("DBPrefix=" + Prefix() + "\n"), std::string::npos) << settings;
    EXPECT_TRUE(WindowsOf(Pid(), QStringLiteral("Error")).isEmpty()) << "the database did not open";

    // The icon the program carries in its resources reached the window (not
    // a stand-in of the style's).
    const QImage icon = WindowIcon(window);
    ASSERT_FALSE(icon.isNull()) << "the window has no icon: " << Errors();
    const QImage drawn = QIcon(QStringLiteral(VENDRAL_PRODWELL_ICON))
                             .pixmap(icon.size())
                             .toImage()
                             .convertToFormat(QImage::Format_ARGB32);
    EXPECT_LT(MeanDifference(icon, drawn), 8.0) << "not the program's icon: " << Errors();
    EXPECT_EQ(Errors().find("Cannot open file"), std::string::npos) << Errors();

    // A real click on the button, once the window manager has placed the
    // window and given it the focus.
    WaitUntilPlaced(window);
    Keys(window, {});
    // A window not painted yet shows no button: look again for a while.
    QElapsedTimer painted;
    painted.start();
    QImage before = Grab(window);
    QPoint button = RunButton(before);
    while (button.y() < 0 && painted.elapsed() < 10000) {
        QTest::qWait(200);
        before = Grab(window);
        button = RunButton(before);
    }
    ASSERT_GE(button.y(), 0) << "no button above the count" << ScreenOnFailure("failed-window.png");
    std::set<QByteArray> counts = {CountAreaHash(before)};
    Click(window, button);
    // The database is left alone while the program writes: a reader of the
    // SQLite file would hold back its writes.
    QString done;
    bool clickedAgain = false;
    QElapsedTimer timer;
    timer.start();
    while (done.isEmpty() && timer.elapsed() < 300000) {
        ASSERT_TRUE(WindowsOf(Pid(), QStringLiteral("Error")).isEmpty())
            << "an error stopped the run" << ScreenOnFailure("failed-run.png");
        counts.insert(CountAreaHash(Grab(window)));
        if (!clickedAgain && counts.size() >= 3) {
            Shot(window, "prodwell-running.png");
            // A second click on the button while the run goes on.
            Click(window, button);
            clickedAgain = true;
        }
        QStringList boxes = WindowsOf(Pid(), QStringLiteral("Prodwell"));
        if (!boxes.isEmpty()) done = boxes.first();
        // No run, or one whose count does not move: no need to wait for its end.
        if (done.isEmpty() && timer.elapsed() > 30000 && counts.size() < 2) break;
        QTest::qWait(100);
    }
    ASSERT_FALSE(done.isEmpty()) << "no result box" << ScreenOnFailure("failed-run.png");
    QTest::qWait(300);
    Shot(done, "prodwell-result.png");
    // The count stood empty, then at least two values while the run went on.
    EXPECT_GE(counts.size(), 3u) << "the count did not move during the run";
    EXPECT_TRUE(clickedAgain) << "the run ended before the second click";
    EXPECT_EQ(Logged(), kRows);

    Keys(done, {QStringLiteral("Return")});
    QTest::qWait(2000);
    // The second press started no run of its own, during or after the first.
    EXPECT_TRUE(WindowsOf(Pid(), QStringLiteral("Prodwell")).isEmpty());
    EXPECT_EQ(Logged(), kRows);

    Tool(QStringLiteral("wmctrl"), {QStringLiteral("-i"), QStringLiteral("-c"), window});
    ASSERT_TRUE(process_->waitForFinished(30000));
    EXPECT_EQ(process_->exitCode(), 0);
}

TEST_F(InstalledProdwell, InAReadOnlyFolderTheSettingsGoToTheUsersFile) {
    Start(Folder::ReadOnly);
    QString dialog = WaitForWindow(Pid(), QStringLiteral("ODBC Settings"));
    ASSERT_FALSE(dialog.isEmpty()) << "the settings dialog did not show";
    FillAndSaveDialog(dialog);
    QString window = WaitForWindow(Pid(), QStringLiteral("Kavelo - Oracle"));
    ASSERT_FALSE(window.isEmpty()) << "the window did not show";
    EXPECT_TRUE(WindowsOf(Pid(), QStringLiteral("Error")).isEmpty());
    std::string settings = Slurp(config_ / "prodwell" / "prodwell.ini");
    EXPECT_NE(settings.find("DSN=" + central_->Dsn() + "\n"), std::string::npos) << settings;
    EXPECT_FALSE(fs::exists(Program().parent_path() / "prodwell.ini"));
    Tool(QStringLiteral("wmctrl"), {QStringLiteral("-i"), QStringLiteral("-c"), window});
    ASSERT_TRUE(process_->waitForFinished(30000));
}

TEST_F(InstalledProdwell, ASettingsFileThatCannotBeWrittenGivesAnErrorBoxAndStaysAsItWas) {
    fs::path beside = Program().parent_path() / "prodwell.ini";
    // Without "ForceDriver" opening would write the type it detects.
    std::ofstream(beside) << "[Central]\nDSN=" << central_->Dsn() << "\nUID=" << central_->Uid()
                          << "\nPWDC=" << EncodePassword(central_->Pwd())
                          << "\nDBPrefix=" << central_->Prefix() << "\n";
    const std::string before = Slurp(beside);
    Start(Folder::ReadOnly);
    QString error = WaitForWindow(Pid(), QStringLiteral("Error"));
    ASSERT_FALSE(error.isEmpty()) << "no error box";
    Keys(error, {QStringLiteral("Return")});
    QString window = WaitForWindow(Pid(), QStringLiteral("Kavelo - Oracle"));
    ASSERT_FALSE(window.isEmpty()) << "the window did not show";
    EXPECT_EQ(Slurp(beside), before);
    EXPECT_FALSE(fs::exists(config_ / "prodwell" / "prodwell.ini"));
    Tool(QStringLiteral("wmctrl"), {QStringLiteral("-i"), QStringLiteral("-c"), window});
    ASSERT_TRUE(process_->waitForFinished(30000));
}

TEST_F(InstalledProdwell, OnTheCommandLineASettingsFileThatCannotBeWrittenIsSaidAndStaysAsItWas) {
    central_->Exec("INSERT INTO syncusers (associate_id) VALUES (12)");
    central_->Exec(
        "INSERT INTO appointment (appointment_id, associate_id, registered_associate_id, do_by, "
        "type) VALUES (1, 12, 12, 1300000000, 1), (2, 12, 12, 1300000001, 1)");
    central_->Exec("INSERT INTO syncsoapp (appointment_id) SELECT appointment_id FROM appointment");
    fs::path beside = Program().parent_path() / "prodwell.ini";
    // Without "ForceDriver" opening would write the type it detects.
    std::ofstream(beside) << "[Central]\nDSN=" << central_->Dsn() << "\nUID=" << central_->Uid()
                          << "\nPWDC=" << EncodePassword(central_->Pwd())
                          << "\nDBPrefix=" << central_->Prefix() << "\n";
    const std::string before = Slurp(beside);
    // A terminal without a display: the command-line kick, for associate 12,
    // with the file itself read-only, then with only its folder so (the file
    // is replaced through a new file beside it).
    QProcessEnvironment environment = Environment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    int runs = 0;
    for (Folder folder : {Folder::ReadOnly, Folder::ReadOnlyButItsSettingsFile}) {
        SCOPED_TRACE(folder == Folder::ReadOnly ? "read-only file" : "read-only folder");
        fs::permissions(beside, fs::perms::owner_write, fs::perm_options::add);
        Start(folder, {QStringLiteral("--associate"), QStringLiteral("12")}, environment);
        ASSERT_TRUE(process_->waitForFinished(120000));
        ++runs;
        const std::string out = process_->readAllStandardOutput().toStdString();
        EXPECT_EQ(Errors(), "prodwell: the settings file " + beside.string() +
                                " cannot be written; its settings are used as they are, and "
                                "what opening would store there is not stored\n");
        EXPECT_EQ(process_->exitCode(), 0) << Errors();
        EXPECT_EQ(out, "Inserts for appointments: 2, inserts for tasks: 0\n") << Errors();
        EXPECT_EQ(Logged(), 2 * runs);
        EXPECT_EQ(Slurp(beside), before);
        EXPECT_FALSE(fs::exists(config_ / "prodwell" / "prodwell.ini"));
    }
}

TEST_F(InstalledProdwell, HelpNamesTheSettingsFileInUse) {
    QProcessEnvironment environment = Environment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    const std::string indent = "(default:\n                    ";
    // A folder the program may write in: the file beside it.
    Start(Folder::Writable, {QStringLiteral("--help")}, environment);
    ASSERT_TRUE(process_->waitForFinished(30000));
    std::string out = process_->readAllStandardOutput().toStdString();
    EXPECT_EQ(process_->exitCode(), 0) << Errors();
    EXPECT_NE(out.find(indent + (Program().parent_path() / "prodwell.ini").string() + ")"),
              std::string::npos)
        << out;
    // A read-only one: the user's file, whose folder help does not create.
    Start(Folder::ReadOnly, {QStringLiteral("--help")}, environment);
    ASSERT_TRUE(process_->waitForFinished(30000));
    out = process_->readAllStandardOutput().toStdString();
    EXPECT_EQ(process_->exitCode(), 0) << Errors();
    EXPECT_NE(out.find(indent + (config_ / "prodwell" / "prodwell.ini").string() + ")"),
              std::string::npos)
        << out;
    EXPECT_FALSE(fs::exists(config_ / "prodwell"));
}

// The library's message boxes reach a client of the core alone as windows too:
// cancelling the dialog without the library's own settings file says so in an
// "Error" box, and ShowODBCSettings ends with its "Message" box.
TEST_F(InstalledProdwell, APythonClientOfTheCoreGetsTheLibrarysMessageBoxes) {
    fs::path settings = root_ / "client.ini";
    StartClient(true, settings, Environment(), QStringLiteral(VENDRAL_SHOW_SETTINGS_SCRIPT));
    QString dialog = WaitForWindow(Pid(), QStringLiteral("ODBC Settings"));
    ASSERT_FALSE(dialog.isEmpty()) << "the settings dialog did not show: " << Errors();
    WaitUntilPlaced(dialog);
    Keys(dialog, {QStringLiteral("alt+c")});
    QString error = WaitForWindow(Pid(), QStringLiteral("Error"));
    ASSERT_FALSE(error.isEmpty()) << "no error box" << ScreenOnFailure("failed-client.png");
    Keys(error, {QStringLiteral("Return")});
    QString message = WaitForWindow(Pid(), QStringLiteral("Message"));
    ASSERT_FALSE(message.isEmpty()) << "no message box" << ScreenOnFailure("failed-client.png");
    EXPECT_TRUE(WindowsOf(Pid(), QStringLiteral("ODBC Settings")).isEmpty());
    // The call returns only once the box is answered.
    EXPECT_EQ(process_->state(), QProcess::Running);
    Keys(message, {QStringLiteral("Return")});
    ASSERT_TRUE(process_->waitForFinished(30000));
    EXPECT_EQ(process_->exitCode(), 0) << Errors();
    EXPECT_EQ(process_->readAllStandardOutput().toStdString(), "returned\n") << Errors();
    // Nothing of the library's messages went to standard error instead.
    EXPECT_EQ(Errors().find("Error:"), std::string::npos) << Errors();
    EXPECT_EQ(Errors().find("Message:"), std::string::npos) << Errors();
    EXPECT_FALSE(fs::exists(settings));
}

// The busy pointer reaches a client of the core alone as well: a failed open
// shows its "Error" box while the pointer is still busy, so over that box the
// pointer is Qt's busy one.
TEST_F(InstalledProdwell, APythonClientOfTheCoreGetsTheBusyPointer) {
    auto [busy, normal] = BusyAndNormalPointers();
    ASSERT_FALSE(busy.empty()) << "the X server gave no pointer image";
    ASSERT_FALSE(normal.empty()) << "the X server gave no pointer image";
    ASSERT_FALSE(SharesAnImage(busy, normal)) << "the busy and the normal pointer look alike here";
    fs::path settings = root_ / "client.ini";
    std::ofstream(settings) << "[Central]\nDSN=vendral_no_such_source\nUID=\nPWD=\n";
    StartClient(true, settings, Environment());
    QString error = WaitForWindow(Pid(), QStringLiteral("Error"));
    ASSERT_FALSE(error.isEmpty()) << "no error box: " << Errors();
    WaitUntilPlaced(error);
    std::vector<PointerImage> overBox = PointerImagesOver(error);
    EXPECT_TRUE(SharesAnImage(overBox, busy)) << ScreenOnFailure("failed-busy-pointer.png");
    EXPECT_FALSE(SharesAnImage(overBox, normal));
    Keys(error, {QStringLiteral("Return")});
    ASSERT_TRUE(process_->waitForFinished(30000));
    EXPECT_EQ(process_->exitCode(), 0) << Errors();
    EXPECT_EQ(process_->readAllStandardOutput().toStdString(), "opened False running False\n")
        << Errors();
}

// Late-bound clients of the core alone: true the Python client, false the C program.
class InstalledCoreClient : public InstalledProdwell, public ::testing::WithParamInterface<bool> {};

TEST_P(InstalledCoreClient, GetsTheDialogAndTheSameCallOpens) {
    central_->Exec(
        "INSERT INTO appointment (appointment_id, associate_id, registered_associate_id, "
        "do_by, type) VALUES (1, 12, 12, 0, 1), (2, 12, 12, 0, 2)");
    fs::path settings = root_ / "client.ini";
    StartClient(GetParam(), settings, Environment());
    QString dialog = WaitForWindow(Pid(), QStringLiteral("ODBC Settings"));
    ASSERT_FALSE(dialog.isEmpty())
        << "the settings dialog did not show: " << process_->readAllStandardError().toStdString();
    QTest::qWait(500);
    if (GetParam()) Shot(dialog, "settings-dialog-python-client.png");
    FillAndSaveDialog(dialog);
    // It may have ended while the dialog was watched.
    if (process_->state() != QProcess::NotRunning) {
        ASSERT_TRUE(process_->waitForFinished(60000));
    }
    std::string out = process_->readAllStandardOutput().toStdString();
    std::string err = process_->readAllStandardError().toStdString();
    EXPECT_EQ(process_->exitCode(), 0) << err;
    EXPECT_EQ(out, "opened True running True\nrows 2\n") << err;
    std::string saved = Slurp(settings);
    EXPECT_NE(saved.find("DSN=" + central_->Dsn() + "\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("DBPrefix=" + Prefix() + "\n"), std::string::npos) << saved;
}

TEST_P(InstalledCoreClient, WithoutADisplayKeepsTheHeadlessWay) {
    fs::path settings = root_ / "client.ini";
    QProcessEnvironment environment = Environment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    StartClient(GetParam(), settings, environment);
    ASSERT_TRUE(process_->waitForFinished(60000));
    std::string out = process_->readAllStandardOutput().toStdString();
    std::string err = process_->readAllStandardError().toStdString();
    EXPECT_EQ(process_->exitCode(), 0) << err;
    EXPECT_EQ(out, "opened False running False\n") << err;
    EXPECT_NE(err.find("Error: The settings file " + settings.string() + " is missing"),
              std::string::npos)
        << err;
    EXPECT_FALSE(fs::exists(settings));
}

INSTANTIATE_TEST_SUITE_P(Clients, InstalledCoreClient, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "Python" : "C");
                         });

}  // namespace
}  // namespace vendral::test::qt
