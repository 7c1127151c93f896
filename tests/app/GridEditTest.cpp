// The two keys that change the work list: Ctrl+Delete with its confirmation,
// and Ctrl+' copying the ID of the row above; and the grid following a table
// that changes under it, as during a folder scan.
#include <gtest/gtest.h>

#include <QImage>

#include "GridTestSupport.h"

namespace {

using GridEditTest = GridFixture;

TEST_F(GridEditTest, CtrlDeleteAsksAndDeletesOnOk) {
    Works(5);
    Key(Qt::Key_Down);
    Take();
    MessageBoxes::SetNextAnswer(MessageBoxes::Answer::Ok);
    Key(Qt::Key_Delete, Qt::ControlModifier);
    ASSERT_EQ(MessageBoxes::ShownBoxes().size(), 1u);
    const auto& box = MessageBoxes::ShownBoxes().back();
    EXPECT_EQ(box.caption, QStringLiteral("Confirm"));
    EXPECT_EQ(box.text, QStringLiteral("Delete record?"));
    EXPECT_EQ(box.icon, QMessageBox::Question);
    EXPECT_EQ(box.buttons, (QStringList{QStringLiteral("OK"), QStringLiteral("Cancel")}));
    EXPECT_EQ(box.defaultButton, QStringLiteral("OK"));
    EXPECT_EQ(table_.RecordTotal(), 4);
    EXPECT_EQ(CurrentId(), WorkId(3));
    EXPECT_EQ(Take(), (EventLog{"BeforeDelete", "BeforeScroll", "AfterDelete", "AfterScroll"}));
    EXPECT_EQ(grid_->RowText(1), QString::fromStdString(WorkId(3)));
}

TEST_F(GridEditTest, CtrlDeleteCancelledChangesNothing) {
    Works(5);
    MessageBoxes::SetNextAnswer(MessageBoxes::Answer::Cancel);
    Key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(MessageBoxes::ShownBoxes().size(), 1u);
    EXPECT_EQ(table_.RecordTotal(), 5);
    EXPECT_EQ(Take(), kNothing);
}

TEST_F(GridEditTest, DeletingTheLastWorkMakesThePreviousCurrentAndTheOnlyOneEmptiesTheList) {
    Works(3);
    Key(Qt::Key_End);
    MessageBoxes::SetNextAnswer(MessageBoxes::Answer::Ok);
    Key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(CurrentId(), WorkId(2));
    MessageBoxes::SetNextAnswer(MessageBoxes::Answer::Ok);
    Key(Qt::Key_Delete, Qt::ControlModifier);
    MessageBoxes::SetNextAnswer(MessageBoxes::Answer::Ok);
    Key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(table_.RecordTotal(), 0);
    EXPECT_EQ(grid_->RecordsShown(), 0);
    // Nothing left: no more questions.
    Key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(MessageBoxes::ShownBoxes().size(), 3u);
}

TEST_F(GridEditTest, CtrlDeleteOnAReadOnlyTableSaysNothing) {
    Works(3);
    table_.SetReadOnly(true);
    Key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_TRUE(MessageBoxes::ShownBoxes().empty());
    EXPECT_EQ(table_.RecordTotal(), 3);
}

TEST_F(GridEditTest, CopyFromAboveEditsUntilTheNextMovePostsIt) {
    Works(10);
    Key(Qt::Key_Down);
    Key(Qt::Key_Down);
    Take();
    Key(Qt::Key_Apostrophe, Qt::ControlModifier);
    EXPECT_EQ(table_.State(), tsEdit);
    EXPECT_EQ(CurrentId(), WorkId(2));
    EXPECT_EQ(grid_->RowText(2), QString::fromStdString(WorkId(2)));
    EXPECT_EQ(Take(), (EventLog{"BeforeEdit", "AfterEdit"}));
    const std::string path = table_.FieldNamed("pathWork").StringValue();
    EXPECT_EQ(path, "/works/" + WorkId(3) + "/"); // the folder is not touched
    Key(Qt::Key_Down);
    EXPECT_EQ(table_.State(), tsBrowse);
    // The move posts first, then scrolls.
    EXPECT_EQ(Take(), (EventLog{"BeforePost", "AfterPost", "BeforeScroll", "AfterScroll"}));
    // Two rows now show the same ID.
    EXPECT_EQ(grid_->RowText(1), QString::fromStdString(WorkId(2)));
    EXPECT_EQ(grid_->RowText(2), QString::fromStdString(WorkId(2)));
    EXPECT_EQ(table_.RecordTotal(), 10);
}

TEST_F(GridEditTest, EscapeCancelsTheCopy) {
    Works(10);
    Key(Qt::Key_Down);
    Key(Qt::Key_Apostrophe, Qt::ControlModifier);
    ASSERT_EQ(table_.State(), tsEdit);
    Take();
    Key(Qt::Key_Escape);
    EXPECT_EQ(table_.State(), tsBrowse);
    EXPECT_EQ(CurrentId(), WorkId(2));
    EXPECT_EQ(Take(), (EventLog{"BeforeCancel", "AfterCancel"}));
}

TEST_F(GridEditTest, CopyFromAboveOnTheTopmostVisibleRowDoesNothing) {
    Works(30);
    Key(Qt::Key_PageDown);
    Key(Qt::Key_PageDown);
    Key(Qt::Key_Up, Qt::ControlModifier); // the topmost visible row, not the first record
    ASSERT_GT(table_.RecordNumber(), 1);
    ASSERT_EQ(grid_->CurrentRowIndex(), 0);
    Take();
    Key(Qt::Key_Apostrophe, Qt::ControlModifier);
    EXPECT_EQ(table_.State(), tsBrowse);
    EXPECT_EQ(Take(), kNothing);
}

TEST_F(GridEditTest, EditMarkShowsWhileEditing) {
    Works(5);
    Key(Qt::Key_Down);
    const QRect indicator(0, grid_->DataCellRect(1).top(), grid_->IndicatorWidth(),
                          grid_->RowHeight() - 1);
    const QImage browse = grid_->viewport()->grab(indicator).toImage();
    Key(Qt::Key_Apostrophe, Qt::ControlModifier);
    grid_->viewport()->repaint();
    const QImage edit = grid_->viewport()->grab(indicator).toImage();
    EXPECT_NE(browse, edit);
    Key(Qt::Key_Escape);
    grid_->viewport()->repaint();
    EXPECT_EQ(grid_->viewport()->grab(indicator).toImage(), browse);
}

TEST_F(GridEditTest, RowsFollowInsertsAndTheSortLikeAScan) {
    RecordEvents(table_, log_);
    // Inserted in reverse: the row order shows them as inserted, ApplySort reorders.
    for (int i = 5; i >= 1; --i) {
        table_.Insert();
        table_.FieldNamed("ID").SetStringValue(WorkId(i));
        EXPECT_EQ(grid_->RecordsShown(), 6 - i); // the record being inserted has a row already
        table_.Post();
    }
    EXPECT_EQ(grid_->RowText(0), QString::fromStdString(WorkId(1)));
    table_.ApplySort();
    table_.GoFirst();
    for (int i = 0; i < 5; ++i) EXPECT_EQ(grid_->RowText(i), QString::fromStdString(WorkId(i + 1)));
    EXPECT_EQ(grid_->CurrentRowIndex(), 0);
}

TEST_F(GridEditTest, FocusLeavingAnEmptyInsertCancelsIt) {
    Works(3);
    table_.Insert();
    ASSERT_EQ(table_.State(), tsInsert);
    other_->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(table_.State(), tsBrowse);
    EXPECT_EQ(table_.RecordTotal(), 3);
}

} // namespace
