// The grid's painting pace: a table that changes per record with pending
// events pumped in between (as the folder scan does) must not have the grid
// painted per record, yet the rows still appear while it runs, the last state
// is painted when it ends, and a lone change after a quiet spell paints at once.
#include <QElapsedTimer>
#include <QScrollBar>

#include "GridTestSupport.h"

namespace {

// Counts the paints of one widget and notes the current record's row text at each.
struct PaintWatch : QObject {
    explicit PaintWatch(TDBGridPlus* grid, QWidget* watched) : grid(grid) {
        watched->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++paints;
            currentPainted = grid->RowText(grid->CurrentRowIndex());
        }
        return false;
    }
    TDBGridPlus* grid;
    int paints = 0;
    QString currentPainted;
};

class GridPaintTest : public GridFixture {
protected:
    void Quiet(int ms) {
        QElapsedTimer t;
        t.start();
        while (!t.hasExpired(ms)) QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
};

TEST_F(GridPaintTest, ABurstOfInsertsPaintsAtFramePaceAndEndsWithTheLastState) {
    constexpr int kFrameMs = 16;
    Quiet(3 * kFrameMs);
    PaintWatch rows(grid_, grid_->viewport());
    PaintWatch bar(grid_, grid_->verticalScrollBar());
    QElapsedTimer clock;
    clock.start();
    int inserted = 0;
    // Long enough for several frames even on a slow build.
    while (!clock.hasExpired(250)) {
        ++inserted;
        table_.Insert();
        table_.FieldNamed("ID").SetStringValue(WorkId(inserted));
        table_.Post();
        QApplication::processEvents();
    }
    const int rowsDuringBurst = rows.paints;
    Quiet(4 * kFrameMs);
    const qint64 elapsed = clock.elapsed();

    ASSERT_GT(inserted, 200);
    // Every paint is asked for at least a frame after the one before.
    const int bound = static_cast<int>(elapsed / kFrameMs) + 2;
    EXPECT_LE(rows.paints, bound);
    EXPECT_LE(bar.paints, bound);
    EXPECT_GE(rowsDuringBurst, 2); // rows appear while the burst runs
    EXPECT_GE(bar.paints, 1);
    // What the grid reports is exact, and what it painted last is the end state.
    EXPECT_EQ(grid_->verticalScrollBar()->maximum(), inserted - 1);
    EXPECT_EQ(grid_->verticalScrollBar()->value(), table_.CurrentPosition());
    EXPECT_EQ(grid_->RowText(grid_->CurrentRowIndex()), QString::fromStdString(WorkId(inserted)));
    EXPECT_EQ(rows.currentPainted, QString::fromStdString(WorkId(inserted)));
    EXPECT_TRUE(grid_->verticalScrollBar()->updatesEnabled());
}

TEST_F(GridPaintTest, ALoneChangeAfterAQuietSpellPaintsAtOnce) {
    Works(40);
    Quiet(40);
    PaintWatch rows(grid_, grid_->viewport());
    Key(Qt::Key_Down);
    EXPECT_EQ(grid_->verticalScrollBar()->value(), 1); // the bar follows before any paint
    QApplication::processEvents();
    EXPECT_EQ(rows.paints, 1);
    EXPECT_EQ(Take(), kMoved);
}

TEST_F(GridPaintTest, AChangeSoonAfterAPaintIsPaintedWhenTheFrameEnds) {
    Works(40);
    Quiet(40);
    PaintWatch rows(grid_, grid_->viewport());
    PaintWatch bar(grid_, grid_->verticalScrollBar());
    Key(Qt::Key_Down);
    QApplication::processEvents();
    Key(Qt::Key_Down); // within the same frame
    EXPECT_EQ(grid_->verticalScrollBar()->value(), 2);
    EXPECT_EQ(grid_->CurrentRowIndex(), 2);
    QApplication::processEvents();
    EXPECT_EQ(rows.paints, 1);
    Quiet(40);
    EXPECT_EQ(rows.paints, 2);
    EXPECT_GE(bar.paints, 1);
    EXPECT_TRUE(grid_->verticalScrollBar()->updatesEnabled());
    Take();
}

// Frame pacing, as the folder scan asks for it: the rows stay those of a grid
// that follows every notification, the scroll bars and the announcements come
// once per frame, and ending the pacing catches up at once.
TEST_F(GridPaintTest, APacedGridKeepsItsRowsExactAndItsBarsAtFramePace) {
    constexpr int kFrameMs = 16;
    Works(30);
    TDBGridPlus twin(&window_); // unpaced, on the same table
    twin.setGeometry(grid_->geometry());
    twin.SetDataSource(&source_);
    int rangeChanges = 0, frames = 0;
    QObject::connect(grid_->verticalScrollBar(), &QScrollBar::rangeChanged,
                     [&] { ++rangeChanges; });
    QObject::connect(grid_, &TDBGridPlus::FrameEnded, [&] { ++frames; });
    Quiet(2 * kFrameMs);
    grid_->SetFramePaced(true);
    QElapsedTimer clock;
    clock.start();
    int inserted = 0;
    auto insert = [&] {
        ++inserted;
        table_.Insert();
        table_.FieldNamed("ID").SetStringValue(WorkId(1000 + inserted));
        table_.Post();
        ASSERT_EQ(grid_->TopRow(), twin.TopRow());
        ASSERT_EQ(grid_->CurrentRowIndex(), twin.CurrentRowIndex());
    };
    while (!clock.hasExpired(150)) {
        insert();
        QApplication::processEvents();
    }
    insert(); // left for the catch-up
    const qint64 elapsed = clock.elapsed();
    const int framesDuringBurst = frames;
    grid_->SetFramePaced(false);

    ASSERT_GT(inserted, 100);
    const int bound = static_cast<int>(elapsed / kFrameMs) + 2;
    EXPECT_LE(rangeChanges, bound);
    EXPECT_GE(framesDuringBurst, 1);
    EXPECT_LE(framesDuringBurst, bound);
    EXPECT_EQ(frames, framesDuringBurst + 1); // the catch-up
    EXPECT_EQ(grid_->verticalScrollBar()->maximum(), 30 + inserted - 1);
    EXPECT_EQ(grid_->verticalScrollBar()->value(), table_.CurrentPosition());
    Take();
}

} // namespace
