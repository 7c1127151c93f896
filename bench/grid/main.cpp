// Page Down through the work list grid: the time one key costs, from the key
// press to the repainted rows, with 100,000 works and with 100. The grid reads
// only the rows it shows, so the two should cost about the same.
//
// Run: QT_QPA_PLATFORM=offscreen build/bin/bench_grid [keys]
//      build/bin/bench_grid --shot grid.png   (a picture of the grid with 300 works)
#include <QApplication>
#include <QPixmap>
#include <QTest>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "app/TDBGridPlus.h"
#include "catalogue/WorkList.h"
#include "memtable/TDataSource.h"
#include "memtable/TqvrMemTable.h"

namespace {

std::string WorkId(int n) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%05d", n % 100000);
    return buf;
}

/// A work list of `works` works, sorted and at its first, shown by a grid of
/// the window's size; with `folders`, each work has a folder as a scan gives.
struct ShownWorks {
    ShownWorks(int works, const std::function<std::string(int)>& id, bool folders) {
        zenor::ConfigureWorkTable(table);
        for (int i = 0; i < works; ++i) {
            table.Insert();
            table.FieldNamed("ID").SetStringValue(id(i));
            if (folders)
                table.FieldNamed("pathWork").SetStringValue("/srv/works/school/" + id(i) + "/");
            table.Post();
        }
        table.ApplySort();
        table.GoFirst();
        source.SetDataSet(&table);
        grid.resize(120, 337);
        grid.SetDataSource(&source);
        grid.show();
    }

    TqvrMemTable table{"tblWork"};
    TDataSource source;
    TDBGridPlus grid;
};

/// Microseconds per Page Down (key press and repaint), over `keys` keys that
/// go round the table from its start whenever they reach its end.
double PerKey(int works, int keys) {
    ShownWorks shown(
        works, [](int i) { return WorkId(i); }, true);
    TqvrMemTable& table = shown.table;
    TDBGridPlus& grid = shown.grid;
    QApplication::processEvents();
    int scrolled = 0;
    table.AfterScroll = [&scrolled](TDataSet&) { ++scrolled; };

    const auto start = std::chrono::steady_clock::now();
    for (int k = 0; k < keys; ++k) {
        if (table.AtEnd()) QTest::keyClick(&grid, Qt::Key_Home);
        QTest::keyClick(&grid, Qt::Key_PageDown);
        grid.viewport()->repaint();
    }
    const auto end = std::chrono::steady_clock::now();
    if (scrolled < keys) std::fprintf(stderr, "only %d moves for %d keys\n", scrolled, keys);
    return std::chrono::duration<double, std::micro>(end - start).count() / keys;
}

} // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    if (argc > 2 && std::string(argv[1]) == "--shot") {
        ShownWorks shown(
            300, [](int i) { return WorkId((i + 1) * 37); }, false);
        TDBGridPlus& grid = shown.grid;
        QTest::keyClick(&grid, Qt::Key_PageDown);
        QTest::keyClick(&grid, Qt::Key_Up, Qt::ShiftModifier);
        QTest::keyClick(&grid, Qt::Key_Up, Qt::ShiftModifier);
        QApplication::processEvents();
        return grid.grab().save(QString::fromLocal8Bit(argv[2])) ? 0 : 1;
    }
    const int keys = argc > 1 ? std::atoi(argv[1]) : 2000;
    PerKey(100, 50); // warm the fonts and the paint engine
    const double small = PerKey(100, keys);
    const double large = PerKey(100000, keys);
    std::printf("Page Down with repaint, %d keys each\n", keys);
    std::printf("  100 works:     %8.1f us per key\n", small);
    std::printf("  100,000 works: %8.1f us per key\n", large);
    std::printf("  ratio:         %8.2f\n", large / small);
    return 0;
}
