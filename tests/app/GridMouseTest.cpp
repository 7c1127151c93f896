// Clicks, drags, the wheel, the scroll bar and the title cell, each with the
// call on the table it must make (or not make).
#include <gtest/gtest.h>

#include <QScrollBar>
#include <QWheelEvent>

#include "GridTestSupport.h"

namespace {

void Wheel(QWidget* target, const QPoint& at, int delta) {
    QWheelEvent e(QPointF(at), QPointF(target->mapToGlobal(at)), QPoint(), QPoint(0, delta),
                  Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &e);
}

using GridMouseTest = GridFixture;

TEST_F(GridMouseTest, ClickOnARowStepsByTheDifference) {
    Works(50);
    QTest::mouseClick(grid_->viewport(), Qt::LeftButton, Qt::NoModifier, RowPoint(4));
    EXPECT_EQ(table_.RecordNumber(), 5);
    EXPECT_EQ(Take(), kMoved);
    QTest::mouseClick(grid_->viewport(), Qt::LeftButton, Qt::NoModifier, RowPoint(1));
    EXPECT_EQ(table_.RecordNumber(), 2);
    EXPECT_EQ(Take(), kMoved);
    // The current row: no call at all.
    QTest::mouseClick(grid_->viewport(), Qt::LeftButton, Qt::NoModifier, RowPoint(1));
    EXPECT_EQ(Take(), kNothing);
}

TEST_F(GridMouseTest, ClickBelowTheLastRecordOrOnTheTitleDoesNothing) {
    Works(3);
    QTest::mouseClick(grid_->viewport(), Qt::LeftButton, Qt::NoModifier, RowPoint(5));
    QTest::mouseClick(grid_->viewport(), Qt::LeftButton, Qt::NoModifier,
                      grid_->TitleCellRect().center());
    EXPECT_EQ(Take(), kNothing);
    EXPECT_EQ(table_.RecordNumber(), 1);
    // The title does not sort: the order is the same after the click.
    EXPECT_EQ(grid_->RowText(0), QString::fromStdString(WorkId(1)));
}

TEST_F(GridMouseTest, DoubleClickDoesNoMoreThanItsFirstClick) {
    Works(20);
    QTest::mouseClick(grid_->viewport(), Qt::LeftButton, Qt::NoModifier, RowPoint(3));
    QTest::mouseDClick(grid_->viewport(), Qt::LeftButton, Qt::NoModifier, RowPoint(3));
    EXPECT_EQ(table_.RecordNumber(), 4);
    EXPECT_EQ(Take(), kMoved);
    EXPECT_EQ(table_.State(), tsBrowse);
}

TEST_F(GridMouseTest, ShiftClickAndDragStretchABlock) {
    Works(20);
    QTest::mouseClick(grid_->viewport(), Qt::LeftButton, Qt::ShiftModifier, RowPoint(3));
    ASSERT_TRUE(grid_->HasBlock());
    EXPECT_EQ(grid_->BlockFirst(), 0);
    EXPECT_EQ(grid_->BlockLast(), 3);
    QTest::mouseClick(grid_->viewport(), Qt::LeftButton, Qt::NoModifier, RowPoint(1));
    EXPECT_FALSE(grid_->HasBlock());
    Take();

    QTest::mousePress(grid_->viewport(), Qt::LeftButton, Qt::NoModifier, RowPoint(2));
    QMouseEvent move(QEvent::MouseMove, QPointF(RowPoint(5)),
                     QPointF(grid_->viewport()->mapToGlobal(RowPoint(5))), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(grid_->viewport(), &move);
    QTest::mouseRelease(grid_->viewport(), Qt::LeftButton, Qt::NoModifier, RowPoint(5));
    EXPECT_EQ(table_.RecordNumber(), 6);
    EXPECT_EQ(grid_->BlockFirst(), 2);
    EXPECT_EQ(grid_->BlockLast(), 5);
    EXPECT_EQ(Take(), (EventLog{"BeforeScroll", "AfterScroll", "BeforeScroll", "AfterScroll"}));
}

TEST_F(GridMouseTest, EachWheelNotchIsOneStep) {
    Works(20);
    Wheel(grid_->viewport(), RowPoint(0), -120);
    EXPECT_EQ(table_.RecordNumber(), 2);
    Wheel(grid_->viewport(), RowPoint(0), -240);
    EXPECT_EQ(table_.RecordNumber(), 4);
    EXPECT_EQ(Take(), (EventLog{"BeforeScroll", "AfterScroll", "BeforeScroll", "AfterScroll",
                                "BeforeScroll", "AfterScroll"}));
    Wheel(grid_->viewport(), RowPoint(0), 120);
    EXPECT_EQ(table_.RecordNumber(), 3);
    // Half a notch (a smooth wheel) waits for the other half.
    Wheel(grid_->viewport(), RowPoint(0), 60);
    EXPECT_EQ(table_.RecordNumber(), 3);
    Wheel(grid_->viewport(), RowPoint(0), 60);
    EXPECT_EQ(table_.RecordNumber(), 2);
    // Over the scroll bar it still steps by records.
    Wheel(grid_->verticalScrollBar(), QPoint(3, 30), -120);
    EXPECT_EQ(table_.RecordNumber(), 3);
}

TEST_F(GridMouseTest, ScrollBarArrowsStepJustOutsideTheVisibleRows) {
    Works(100);
    const int rows = grid_->VisibleRowCount();
    QScrollBar* bar = grid_->verticalScrollBar();
    Key(Qt::Key_Down);
    Take();
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(table_.RecordNumber(), rows + 1); // just below the lowest row
    EXPECT_EQ(grid_->TopRow(), 1);
    EXPECT_EQ(Take(), kMoved);
    bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(table_.RecordNumber(), 1); // just above the topmost row
    EXPECT_EQ(grid_->TopRow(), 0);
    // Nothing above: the table meets its start (and scrolls once more), then stops.
    bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(table_.RecordNumber(), 1);
    EXPECT_EQ(Take(), (EventLog{"BeforeScroll", "AfterScroll", "BeforeScroll", "AfterScroll",
                                "BeforeScroll"}));
    EXPECT_EQ(bar->value(), 0);
}

TEST_F(GridMouseTest, ScrollBarPagesAndThumb) {
    Works(100);
    const int rows = grid_->VisibleRowCount();
    QScrollBar* bar = grid_->verticalScrollBar();
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(table_.RecordNumber(), 1 + rows);
    bar->triggerAction(QAbstractSlider::SliderPageStepSub);
    EXPECT_EQ(table_.RecordNumber(), 1);
    Take();

    bar->setSliderDown(true);
    bar->setSliderPosition(49);
    EXPECT_EQ(table_.RecordNumber(), 50);
    EXPECT_EQ(Take(), kMoved);
    bar->setSliderPosition(bar->maximum());
    EXPECT_EQ(table_.RecordNumber(), 100);
    EXPECT_TRUE(table_.AtEnd()); // the end of the bar is GoLast
    bar->setSliderPosition(0);
    EXPECT_EQ(table_.RecordNumber(), 1);
    EXPECT_TRUE(table_.AtStart()); // and its start GoFirst
    bar->setSliderDown(false);
    EXPECT_EQ(bar->value(), 0);
}

TEST_F(GridMouseTest, TitleEdgeResizesTheColumnAndTheHorizontalBarFollows) {
    Works(5);
    EXPECT_EQ(grid_->ColumnWidth(), 82);
    EXPECT_EQ(grid_->horizontalScrollBar()->maximum(), 0);
    const QRect title = grid_->TitleCellRect();
    const QPoint edge(title.left() + 82, title.center().y());
    QTest::mousePress(grid_->viewport(), Qt::LeftButton, Qt::NoModifier, edge);
    QMouseEvent move(QEvent::MouseMove, QPointF(edge + QPoint(300, 0)),
                     QPointF(grid_->viewport()->mapToGlobal(edge + QPoint(300, 0))), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(grid_->viewport(), &move);
    QTest::mouseRelease(grid_->viewport(), Qt::LeftButton, Qt::NoModifier, edge + QPoint(300, 0));
    EXPECT_EQ(grid_->ColumnWidth(), 382);
    EXPECT_GT(grid_->horizontalScrollBar()->maximum(), 0);
    EXPECT_EQ(Take(), kNothing);
}

} // namespace
