// Each key of the grid as the table calls it causes: where the cursor ends
// and which scroll events the table raised on the way.
#include <gtest/gtest.h>

#include <functional>

#include "GridTestSupport.h"

namespace {

struct KeyCase {
    const char* name;
    Qt::Key key;
    Qt::KeyboardModifiers mods;
    // Expected record number from the visible row count; start is record 4 in row 3.
    std::function<int(int rows, int total)> expect;
    EventLog events;
};

class GridKeyTest : public GridFixture, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(GridKeyTest, KeyMakesItsCall) {
    const KeyCase& c = GetParam();
    Works(300);
    const int rows = grid_->VisibleRowCount();
    ASSERT_GE(rows, 6);
    for (int i = 0; i < 3; ++i) Key(Qt::Key_Down);
    ASSERT_EQ(table_.RecordNumber(), 4);
    ASSERT_EQ(grid_->CurrentRowIndex(), 3);
    Take();
    Key(c.key, c.mods);
    EXPECT_EQ(table_.RecordNumber(), c.expect(rows, 300)) << c.name;
    EXPECT_EQ(Take(), c.events) << c.name;
    EXPECT_EQ(table_.RecordTotal(), 300);
    EXPECT_EQ(table_.State(), tsBrowse);
    EXPECT_TRUE(grid_->hasFocus());
}

const auto same = [](int, int) { return 4; };
const auto Ctrl = Qt::ControlModifier;
const auto Shift = Qt::ShiftModifier;

INSTANTIATE_TEST_SUITE_P(
    Keys, GridKeyTest,
    ::testing::Values(
        KeyCase{"Down", Qt::Key_Down, Qt::NoModifier, [](int, int) { return 5; }, kMoved},
        KeyCase{"Up", Qt::Key_Up, Qt::NoModifier, [](int, int) { return 3; }, kMoved},
        KeyCase{"PageDown", Qt::Key_PageDown, Qt::NoModifier, [](int r, int) { return 4 + r; },
                kMoved},
        KeyCase{"PageUp", Qt::Key_PageUp, Qt::NoModifier, [](int, int) { return 1; }, kMoved},
        KeyCase{"Home", Qt::Key_Home, Qt::NoModifier, [](int, int) { return 1; }, kMoved},
        KeyCase{"End", Qt::Key_End, Qt::NoModifier, [](int, int t) { return t; }, kMoved},
        KeyCase{"CtrlHome", Qt::Key_Home, Ctrl, [](int, int) { return 1; }, kMoved},
        KeyCase{"CtrlEnd", Qt::Key_End, Ctrl, [](int, int t) { return t; }, kMoved},
        KeyCase{"ShiftEnd", Qt::Key_End, Shift, [](int, int t) { return t; }, kMoved},
        KeyCase{"ShiftPageDown", Qt::Key_PageDown, Shift, [](int r, int) { return 4 + r; }, kMoved},
        KeyCase{"CtrlUp", Qt::Key_Up, Ctrl, [](int, int) { return 1; }, kMoved},
        KeyCase{"CtrlPageUp", Qt::Key_PageUp, Ctrl, [](int, int) { return 1; }, kMoved},
        KeyCase{"CtrlDown", Qt::Key_Down, Ctrl, [](int r, int) { return r; }, kMoved},
        KeyCase{"CtrlPageDown", Qt::Key_PageDown, Ctrl, [](int r, int) { return r; }, kMoved},
        KeyCase{"CtrlShiftDown", Qt::Key_Down, Ctrl | Shift, [](int r, int) { return r; }, kMoved},
        KeyCase{"Tab", Qt::Key_Tab, Qt::NoModifier, [](int, int) { return 5; }, kMoved},
        KeyCase{"ShiftTab", Qt::Key_Backtab, Shift, [](int, int) { return 3; }, kMoved},
        KeyCase{"ShiftDown", Qt::Key_Down, Shift, [](int, int) { return 5; }, kMoved},
        KeyCase{"ShiftUp", Qt::Key_Up, Shift, [](int, int) { return 3; }, kMoved},
        KeyCase{"Left", Qt::Key_Left, Qt::NoModifier, same, kNothing},
        KeyCase{"Right", Qt::Key_Right, Qt::NoModifier, same, kNothing},
        KeyCase{"CtrlLeft", Qt::Key_Left, Ctrl, same, kNothing},
        KeyCase{"CtrlRight", Qt::Key_Right, Ctrl, same, kNothing},
        KeyCase{"Insert", Qt::Key_Insert, Qt::NoModifier, same, kNothing},
        KeyCase{"Enter", Qt::Key_Return, Qt::NoModifier, same, kNothing},
        KeyCase{"F2", Qt::Key_F2, Qt::NoModifier, same, kNothing},
        KeyCase{"Typed", Qt::Key_A, Qt::NoModifier, same, kNothing},
        KeyCase{"CtrlC", Qt::Key_C, Ctrl, same, kNothing},
        KeyCase{"CtrlInsert", Qt::Key_Insert, Ctrl, same, kNothing},
        KeyCase{"CtrlV", Qt::Key_V, Ctrl, same, kNothing},
        KeyCase{"ShiftInsert", Qt::Key_Insert, Shift, same, kNothing},
        KeyCase{"CtrlX", Qt::Key_X, Ctrl, same, kNothing},
        KeyCase{"ShiftDelete", Qt::Key_Delete, Shift, same, kNothing},
        KeyCase{"CtrlA", Qt::Key_A, Ctrl, same, kNothing},
        KeyCase{"Escape", Qt::Key_Escape, Qt::NoModifier, same, kNothing}),
    [](const ::testing::TestParamInfo<KeyCase>& info) { return std::string(info.param.name); });

// On an empty table every movement key still reaches the table.
struct EmptyCase {
    const char* name;
    Qt::Key key;
    Qt::KeyboardModifiers mods;
    EventLog events;
};
class GridEmptyKeyTest : public GridFixture, public ::testing::WithParamInterface<EmptyCase> {};

TEST_P(GridEmptyKeyTest, KeyReachesTheTable) {
    RecordEvents(table_, log_);
    Key(GetParam().key, GetParam().mods);
    EXPECT_EQ(Take(), GetParam().events);
    EXPECT_EQ(table_.RecordTotal(), 0);
    EXPECT_TRUE(MessageBoxes::ShownBoxes().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Keys, GridEmptyKeyTest,
    ::testing::Values(EmptyCase{"Down", Qt::Key_Down, Qt::NoModifier, kStopped},
                      EmptyCase{"Up", Qt::Key_Up, Qt::NoModifier, kStopped},
                      EmptyCase{"PageDown", Qt::Key_PageDown, Qt::NoModifier, kStopped},
                      EmptyCase{"Tab", Qt::Key_Tab, Qt::NoModifier, kStopped},
                      EmptyCase{"Home", Qt::Key_Home, Qt::NoModifier, kMoved},
                      EmptyCase{"End", Qt::Key_End, Qt::NoModifier, kMoved},
                      EmptyCase{"CtrlDelete", Qt::Key_Delete, Qt::ControlModifier, kNothing},
                      EmptyCase{"CtrlQuote", Qt::Key_Apostrophe, Qt::ControlModifier, kNothing}),
    [](const ::testing::TestParamInfo<EmptyCase>& info) { return std::string(info.param.name); });

TEST_F(GridFixture, DownOnTheLastWorkAddsNothingAndStopsAtTheEnd) {
    Works(3);
    Key(Qt::Key_Down);
    Key(Qt::Key_Down); // on the last work, but the end not met yet
    Take();
    Key(Qt::Key_Down);
    EXPECT_EQ(Take(), kMoved); // the first meeting with the end still scrolls
    Key(Qt::Key_Down);
    EXPECT_EQ(Take(), kStopped);
    EXPECT_EQ(table_.RecordTotal(), 3);
    EXPECT_EQ(table_.RecordNumber(), 3);
    EXPECT_EQ(table_.State(), tsBrowse);
}

TEST_F(GridFixture, TabOnTheOnlyWorkKeepsTheFocusInTheGrid) {
    Works(1);
    Key(Qt::Key_Tab);
    Key(Qt::Key_Tab);
    Key(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_TRUE(grid_->hasFocus());
    EXPECT_EQ(table_.RecordNumber(), 1);
    EXPECT_EQ(Take(), (EventLog{"BeforeScroll", "AfterScroll", "BeforeScroll", "BeforeScroll",
                                "AfterScroll"}));
}

TEST_F(GridFixture, PageDownMovesByTheRowsThatFitAndTheGridFollows) {
    Works(300);
    const int rows = grid_->VisibleRowCount();
    Key(Qt::Key_PageDown);
    EXPECT_EQ(table_.RecordNumber(), 1 + rows);
    // The current record is shown, in the lowest row, and the rows read in order.
    EXPECT_EQ(grid_->CurrentRowIndex(), rows - 1);
    EXPECT_EQ(grid_->RowText(rows - 1), QString::fromStdString(WorkId(1 + rows)));
    EXPECT_EQ(grid_->RowText(0), QString::fromStdString(WorkId(2)));
    Key(Qt::Key_End);
    EXPECT_EQ(grid_->CurrentRowIndex(), rows - 1);
    EXPECT_EQ(grid_->RowText(rows - 1), QString::fromStdString(WorkId(300)));
    Key(Qt::Key_Home);
    EXPECT_EQ(grid_->CurrentRowIndex(), 0);
    EXPECT_EQ(grid_->RowText(0), QString::fromStdString(WorkId(1)));
}

TEST_F(GridFixture, CtrlDownWithFewerWorksThanRowsGoesToTheLast) {
    Works(3);
    Key(Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(table_.RecordNumber(), 3);
    EXPECT_EQ(grid_->RecordsShown(), 3);
}

TEST_F(GridFixture, ShiftMovesStretchABlockThatAPlainMoveClears) {
    Works(20);
    Key(Qt::Key_Down);
    Key(Qt::Key_Down, Qt::ShiftModifier);
    Key(Qt::Key_Down, Qt::ShiftModifier);
    ASSERT_TRUE(grid_->HasBlock());
    EXPECT_EQ(grid_->BlockFirst(), 1);
    EXPECT_EQ(grid_->BlockLast(), 3);
    Key(Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(grid_->BlockLast(), 2);
    Key(Qt::Key_Escape);
    EXPECT_FALSE(grid_->HasBlock());
    Key(Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_TRUE(grid_->HasBlock());
    Key(Qt::Key_Down);
    EXPECT_FALSE(grid_->HasBlock());
}

} // namespace
