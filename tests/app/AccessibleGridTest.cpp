// The work list grid as assistive technology sees it: rows in the table's
// order, the current record selected, the events for moves and for rows that
// come and go, reading that leaves the table alone, and a large table.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <memory>
#include <string>
#include <vector>

#include "app/AccessibleEvents.h"
#include "app/AccessibleFactories.h"
#include "app/AccessibleGrid.h"
#include "app/TDBGridPlus.h"
#include "catalogue/WorkList.h"
#include "memtable/TDataLink.h"
#include "memtable/TDataSource.h"
#include "memtable/TqvrMemTable.h"

namespace {

struct Told {
    QAccessible::Event type;
    int child;
    int modelChange; // for table model events
    int firstRow;
    int lastRow;
    bool selectedChanged; // for state events
};

// Counts whatever the table tells its controls and its handlers.
class TableWatch : public TDataLink {
public:
    void DataEvent(TNotifyKind, TField*, bool) override { ++notifications; }
    int notifications = 0;
};

class AccessibleGridTest : public ::testing::Test {
protected:
    void SetUp() override {
        InstallAccessibleFactories();
        zenor::ConfigureWorkTable(table_);
        source_.SetDataSet(&table_);
        grid_ = std::make_unique<TDBGridPlus>();
        grid_->SetColumnFieldName("ID");
        grid_->SetColumnTitle(QStringLiteral("Код работы"));
        grid_->SetDataSource(&source_);
        grid_->resize(153, 343);
        grid_->show();
        SetAccessibleEventObserver([this](QAccessibleEvent& e) {
            Told t{e.type(), e.child(), -1, -1, -1, false};
            if (e.type() == QAccessible::TableModelChanged) {
                auto& m = static_cast<QAccessibleTableModelChangeEvent&>(e);
                t.modelChange = m.modelChangeType();
                t.firstRow = m.firstRow();
                t.lastRow = m.lastRow();
            } else if (e.type() == QAccessible::StateChanged) {
                t.selectedChanged =
                    static_cast<QAccessibleStateChangeEvent&>(e).changedStates().selected;
                if (QAccessibleInterface* cell = e.accessibleInterface())
                    if (QAccessibleTableCellInterface* c = cell->tableCellInterface())
                        t.child = c->rowIndex();
            }
            told_.push_back(t);
        });
    }

    void TearDown() override { SetAccessibleEventObserver({}); }

    void Add(const std::string& id) {
        table_.Insert();
        table_.FieldNamed("ID").SetStringValue(id);
        table_.FieldNamed("pathWork").SetStringValue("/works/" + id + "/");
        table_.Post();
    }

    QAccessibleInterface* Iface() { return QAccessible::queryAccessibleInterface(grid_.get()); }
    QAccessibleTableInterface* Table() { return Iface()->tableInterface(); }

    std::vector<QString> Rows() {
        std::vector<QString> rows;
        for (int i = 0; i < Table()->rowCount(); ++i)
            rows.push_back(Table()->cellAt(i, 0)->text(QAccessible::Name));
        return rows;
    }

    int Count(QAccessible::Event type, int child = -2) const {
        int n = 0;
        for (const Told& t : told_)
            if (t.type == type && (child == -2 || t.child == child)) ++n;
        return n;
    }

    TqvrMemTable table_{"tblWork"};
    TDataSource source_;
    std::unique_ptr<TDBGridPlus> grid_;
    std::vector<Told> told_;
};

TEST_F(AccessibleGridTest, IsAOneColumnTableNamedByItsTitle) {
    QAccessibleInterface* iface = Iface();
    ASSERT_NE(iface, nullptr);
    EXPECT_EQ(iface->role(), QAccessible::Table);
    EXPECT_EQ(iface->text(QAccessible::Name), QStringLiteral("Код работы"));
    ASSERT_NE(Table(), nullptr);
    EXPECT_EQ(Table()->columnCount(), 1);
    EXPECT_EQ(Table()->rowCount(), 0);
    EXPECT_EQ(iface->childCount(), 0);
    EXPECT_EQ(Table()->columnDescription(0), QStringLiteral("Код работы"));
    EXPECT_TRUE(Table()->selectedRows().isEmpty());
}

TEST_F(AccessibleGridTest, RowsAreTheRecordsInTheTablesCurrentOrder) {
    for (const char* id : {"30003", "10001", "20002", "00004"}) Add(id);
    table_.ApplySort();
    table_.GoFirst();
    const std::vector<QString> expected{"00004", "10001", "20002", "30003"};
    EXPECT_EQ(Rows(), expected);
    EXPECT_EQ(Iface()->childCount(), 4);
    for (int i = 0; i < 4; ++i) {
        QAccessibleInterface* cell = Iface()->child(i);
        ASSERT_NE(cell, nullptr);
        EXPECT_EQ(cell->role(), QAccessible::Cell);
        EXPECT_EQ(cell->parent(), Iface());
        EXPECT_EQ(Iface()->indexOfChild(cell), i);
        EXPECT_EQ(cell->tableCellInterface()->rowIndex(), i);
        EXPECT_EQ(cell->tableCellInterface()->columnIndex(), 0);
        // Asking twice gives the same object: clients keep references.
        EXPECT_EQ(Iface()->child(i), cell);
    }
    EXPECT_EQ(Iface()->child(4), nullptr);
    EXPECT_EQ(Table()->cellAt(0, 1), nullptr);
}

TEST_F(AccessibleGridTest, CurrentRecordIsTheOneSelectedAndFocusedCell) {
    for (const char* id : {"A0001", "A0002", "A0003"}) Add(id);
    table_.GoFirst();
    table_.StepBy(1);
    EXPECT_EQ(Table()->selectedRows(), QList<int>{1});
    EXPECT_EQ(Table()->selectedRowCount(), 1);
    EXPECT_TRUE(Table()->isRowSelected(1));
    EXPECT_FALSE(Table()->isRowSelected(0));
    ASSERT_EQ(Table()->selectedCells().size(), 1);
    EXPECT_EQ(Table()->selectedCells().first()->text(QAccessible::Name), QStringLiteral("A0002"));

    QAccessibleInterface* current = Iface()->child(1);
    QAccessibleInterface* other = Iface()->child(2);
    EXPECT_TRUE(current->state().selected);
    EXPECT_TRUE(current->tableCellInterface()->isSelected());
    EXPECT_FALSE(other->state().selected);
    EXPECT_TRUE(other->state().selectable);

    // Focused only while the grid itself has the focus.
    grid_->activateWindow();
    grid_->setFocus();
    QCoreApplication::processEvents();
    if (grid_->hasFocus()) {
        EXPECT_TRUE(current->state().focused);
        EXPECT_EQ(Iface()->focusChild(), current);
    }
    grid_->clearFocus();
    EXPECT_FALSE(current->state().focused);
    EXPECT_EQ(Iface()->focusChild(), nullptr);
}

TEST_F(AccessibleGridTest, ReadingRowsNeitherMovesTheCursorNorRaisesEvents) {
    for (int i = 0; i < 50; ++i) Add("W" + std::to_string(1000 + i));
    table_.GoFirst();
    table_.StepBy(7);
    TableWatch watch;
    watch.SetDataSource(&source_);
    int scrolls = 0;
    table_.BeforeScroll = [&](TDataSet&) { ++scrolls; };
    table_.AfterScroll = [&](TDataSet&) { ++scrolls; };
    const int before = table_.CurrentPosition();

    (void)Rows();
    for (int i = 0; i < Iface()->childCount(); ++i) {
        QAccessibleInterface* cell = Iface()->child(i);
        (void)cell->state();
        (void)cell->rect();
    }
    (void)Table()->selectedCells();

    EXPECT_EQ(table_.CurrentPosition(), before);
    EXPECT_EQ(scrolls, 0);
    EXPECT_EQ(watch.notifications, 0);
    table_.BeforeScroll = nullptr;
    table_.AfterScroll = nullptr;
}

TEST_F(AccessibleGridTest, MovingTheCurrentRecordTellsSelectionAndState) {
    for (const char* id : {"B0001", "B0002", "B0003"}) Add(id);
    table_.GoFirst();
    (void)Iface()->child(0); // a client looked at the first row
    told_.clear();

    table_.StepBy(2);
    EXPECT_EQ(Count(QAccessible::Selection, 2), 1);
    int oldCell = 0, newCell = 0;
    for (const Told& t : told_) {
        if (t.type != QAccessible::StateChanged || !t.selectedChanged) continue;
        if (t.child == 0) ++oldCell;
        if (t.child == 2) ++newCell;
    }
    EXPECT_EQ(oldCell, 1);
    EXPECT_EQ(newCell, 1);

    // A step that finds the end moves nothing, and nothing is told.
    told_.clear();
    table_.StepBy(1);
    table_.StepBy(1);
    EXPECT_EQ(Count(QAccessible::Selection), 0);
}

TEST_F(AccessibleGridTest, FocusFollowsTheCurrentRecordWhileTheGridHasTheFocus) {
    for (const char* id : {"C0001", "C0002"}) Add(id);
    table_.GoFirst();
    (void)Iface();
    grid_->activateWindow();
    grid_->setFocus();
    QCoreApplication::processEvents();
    if (!grid_->hasFocus()) GTEST_SKIP() << "this platform gives no window the focus";
    // Told from the event loop, once the widget has told of its own focus.
    QElapsedTimer waited;
    waited.start();
    while (Count(QAccessible::Focus, 0) == 0 && waited.elapsed() < 2000)
        QCoreApplication::processEvents();
    EXPECT_GE(Count(QAccessible::Focus, 0), 1);
    told_.clear();
    table_.StepBy(1);
    EXPECT_EQ(Count(QAccessible::Focus, 1), 1);
}

TEST_F(AccessibleGridTest, RowsAddedAndRemovedAreTold) {
    Add("D0001");
    (void)Iface();
    told_.clear();

    Add("D0002");
    Add("D0003");
    ASSERT_EQ(Table()->rowCount(), 3);
    int inserted = 0;
    for (const Told& t : told_)
        if (t.type == QAccessible::TableModelChanged &&
            t.modelChange == QAccessibleTableModelChangeEvent::RowsInserted) {
            EXPECT_EQ(t.firstRow, t.lastRow);
            EXPECT_GE(t.firstRow, 1);
            ++inserted;
        }
    EXPECT_EQ(inserted, 2);

    // New works go in front of the current one until the list is sorted.
    table_.ApplySort();
    told_.clear();
    table_.GoFirst();
    table_.Delete();
    ASSERT_EQ(Table()->rowCount(), 2);
    bool removed = false;
    for (const Told& t : told_)
        if (t.type == QAccessible::TableModelChanged &&
            t.modelChange == QAccessibleTableModelChangeEvent::RowsRemoved) {
            EXPECT_EQ(t.firstRow, 2);
            EXPECT_EQ(t.lastRow, 2);
            removed = true;
        }
    EXPECT_TRUE(removed);
    EXPECT_EQ(Rows(), (std::vector<QString>{"D0002", "D0003"}));
}

TEST_F(AccessibleGridTest, ShiftedRowsAreRenamedAndAClosedTableHasNone) {
    for (const char* id : {"E0002", "E0003"}) Add(id);
    table_.ApplySort();
    table_.GoFirst();
    QAccessibleInterface* first = Iface()->child(0);
    ASSERT_EQ(first->text(QAccessible::Name), QStringLiteral("E0002"));
    told_.clear();

    Add("E0001"); // sorts in front: every row below moves down
    table_.GoFirst();
    EXPECT_EQ(first->text(QAccessible::Name), QStringLiteral("E0001"));
    EXPECT_GE(Count(QAccessible::NameChanged), 1);

    told_.clear();
    table_.Close();
    EXPECT_EQ(Table()->rowCount(), 0);
    EXPECT_TRUE(Table()->selectedRows().isEmpty());
    bool allRemoved = false;
    for (const Told& t : told_)
        if (t.type == QAccessible::TableModelChanged &&
            t.modelChange == QAccessibleTableModelChangeEvent::RowsRemoved)
            allRemoved = t.firstRow == 0 && t.lastRow == 2;
    EXPECT_TRUE(allRemoved);
}

TEST_F(AccessibleGridTest, SelectingARowMovesTheCurrentRecordLikeAClick) {
    for (const char* id : {"F0001", "F0002", "F0003", "F0004"}) Add(id);
    table_.GoFirst();
    int before = 0, after = 0;
    table_.BeforeScroll = [&](TDataSet&) { ++before; };
    table_.AfterScroll = [&](TDataSet&) { ++after; };

    EXPECT_TRUE(Table()->selectRow(3));
    // Done from the event loop, so that a client is never kept waiting.
    EXPECT_EQ(table_.CurrentPosition(), 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(table_.CurrentPosition(), 3);
    EXPECT_EQ(before, 1);
    EXPECT_EQ(after, 1);

    // The cell's own action does the same.
    QAccessibleInterface* cell = Iface()->child(1);
    ASSERT_NE(cell->actionInterface(), nullptr);
    cell->actionInterface()->doAction(QAccessibleActionInterface::setFocusAction());
    QCoreApplication::processEvents();
    EXPECT_EQ(table_.CurrentPosition(), 1);

    EXPECT_FALSE(Table()->selectRow(4));
    EXPECT_FALSE(Table()->selectRow(-1));
    table_.BeforeScroll = nullptr;
    table_.AfterScroll = nullptr;
}

TEST_F(AccessibleGridTest, VisibleRowsHaveScreenRectanglesAndHiddenOnesAreOffscreen) {
    for (int i = 0; i < 200; ++i) Add("G" + std::to_string(10000 + i));
    table_.GoFirst();
    QAccessibleInterface* top = Iface()->child(0);
    QAccessibleInterface* far = Iface()->child(199);
    EXPECT_FALSE(top->rect().isEmpty());
    EXPECT_FALSE(top->state().offscreen);
    EXPECT_TRUE(far->rect().isEmpty());
    EXPECT_TRUE(far->state().offscreen);
    EXPECT_EQ(Iface()->childAt(top->rect().center().x(), top->rect().center().y()), top);
}

TEST_F(AccessibleGridTest, AHundredThousandWorksStayFastAndFewCellsAreKept) {
    source_.SetDataSet(nullptr); // fill without repainting per record
    for (int i = 0; i < 100000; ++i) {
        table_.Insert();
        table_.FieldNamed("ID").SetStringValue(std::to_string(100000 + i));
        table_.Post();
    }
    table_.ApplySort(); // by ID, so that row r holds 100000 + r
    source_.SetDataSet(&table_);
    table_.GoFirst();

    QElapsedTimer clock;
    clock.start();
    ASSERT_EQ(Table()->rowCount(), 100000);
    EXPECT_EQ(Iface()->child(99999)->text(QAccessible::Name), QStringLiteral("199999"));
    auto* rng = QRandomGenerator::global();
    for (int i = 0; i < 2000; ++i) {
        const int row = rng->bounded(100000);
        ASSERT_EQ(Iface()->child(row)->text(QAccessible::Name), QString::number(100000 + row));
    }
    for (int i = 0; i < 200; ++i) table_.StepBy(1);
    EXPECT_EQ(Table()->selectedRows(), QList<int>{200});
    const qint64 ms = clock.elapsed();
    auto* accessible = dynamic_cast<AccessibleGrid*>(Iface());
    ASSERT_NE(accessible, nullptr);
    EXPECT_LE(accessible->CachedCellCount(), AccessibleGrid::kMaxCachedCells);
    // Generous for a sanitizer build on a shared machine; all cells made at
    // once would take far longer and hold 100,000 objects.
    EXPECT_LT(ms, 3000);
}

// While the grid is frame-paced (a folder scan), a reader is told what the
// table holds when a frame ends, not every step, and can read the table
// exactly at any time.
TEST_F(AccessibleGridTest, WhilePacedTheReaderIsToldTheStateAtTheFramesEnd) {
    Add("H0001");
    (void)Iface()->child(0);
    told_.clear();
    grid_->SetFramePaced(true);
    for (int i = 2; i <= 300; ++i) Add("H" + std::to_string(10000 + i));
    table_.GoLast();
    EXPECT_EQ(Table()->rowCount(), 300); // read from the table, not from what was told
    EXPECT_EQ(Table()->selectedRows(), QList<int>{299});
    EXPECT_TRUE(told_.empty()); // no frame has ended: nothing told yet
    grid_->SetFramePaced(false);

    int inserted = 0;
    for (const Told& t : told_)
        if (t.type == QAccessible::TableModelChanged) {
            EXPECT_EQ(t.modelChange, QAccessibleTableModelChangeEvent::RowsInserted);
            EXPECT_EQ(t.firstRow, 1);
            EXPECT_EQ(t.lastRow, 299);
            ++inserted;
        }
    EXPECT_EQ(inserted, 1);
    EXPECT_EQ(Count(QAccessible::Selection), 1);
    EXPECT_EQ(Count(QAccessible::Selection, 299), 1);
}

} // namespace
