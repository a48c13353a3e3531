// progress-bar.png: bars in several states and colours, smooth and in blocks,
// across and upright.
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QVBoxLayout>
#include <iostream>
#include <memory>
#include <vector>

#include "support/qt/screenshot.h"
#include "vendral/widgets/cprogressbar.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc < 2) {
        std::cerr << "usage: shot_progress_bar OUTPUT_FOLDER\n";
        return 2;
    }
    QWidget window;
    window.setWindowTitle("CProgressBar");
    window.resize(360, 250);
    struct Row {
        const char* caption;
        int position;
        bool smooth;
        std::int32_t bar, back;  // 0x00BBGGRR, 0xFF000000 for the default
    };
    const std::vector<Row> rows = {
        {"empty", 0, true, static_cast<std::int32_t>(0xFF000000u),
         static_cast<std::int32_t>(0xFF000000u)},
        {"30, blocks", 30, false, static_cast<std::int32_t>(0xFF000000u),
         static_cast<std::int32_t>(0xFF000000u)},
        {"50, smooth", 50, true, static_cast<std::int32_t>(0xFF000000u),
         static_cast<std::int32_t>(0xFF000000u)},
        {"70, red on yellow", 70, true, 0x000000FF, 0x0080FFFF},
        {"full (position 120)", 120, false, 0x00008000, 0x00FFFFFF},
    };
    std::vector<std::unique_ptr<vendral::CProgressBar>> bars;
    int y = 10;
    for (const Row& row : rows) {
        auto* label = new QLabel(row.caption, &window);
        label->setGeometry(10, y, 140, 20);
        auto bar = std::make_unique<vendral::CProgressBar>();
        bar->Parent(&window);
        bar->Create(vendral::Variant(150), vendral::Variant(y), vendral::Variant(160),
                    vendral::Variant(20), row.smooth);
        bar->SetBarColor(row.bar);
        bar->SetBackColor(row.back);
        bar->SetProgBarPos(row.position);
        bars.push_back(std::move(bar));
        y += 34;
    }
    auto upright = std::make_unique<vendral::CProgressBar>();
    upright->Parent(&window);
    upright->SetProgVert(true);
    upright->Create(vendral::Variant(325), vendral::Variant(10), vendral::Variant(22),
                    vendral::Variant(156), true);
    upright->MaxValue(10);
    for (int n = 1; n <= 6; ++n) upright->Raise(n);
    auto* label = new QLabel("upright, six of ten items", &window);
    label->setGeometry(10, y, 300, 20);

    QString path = QDir(argv[1]).filePath("progress-bar.png");
    if (!vendral::test::qt::SaveWindowScreenshot(&window, path)) {
        std::cerr << "could not write " << path.toStdString() << "\n";
        return 1;
    }
    return 0;
}
