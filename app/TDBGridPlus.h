// The work list grid: shows a memory table through a data source, one row per
// record in the table's current order, and turns keys and mouse actions into
// navigation calls on that table, so the table raises its scroll events exactly
// as it does for any caller.
//
// It keeps no copy of the records. Each paint reads only the rows that fit, by
// position in the current order, in a way that neither moves the table's
// cursor nor raises an event. What the grid remembers is which position stands
// in its top row; it keeps that up to date from the table's notifications and
// otherwise only asks the table where its cursor is.
//
// What the grid reports (top row, rows shown, scroll bar range and value)
// follows every notification at once; painting follows at the screen's pace.
// A change after a quiet spell paints at once; further changes within the
// same frame (a table that notifies per record, with pending events pumped
// between records) hold the grid's and its scroll bars' painting until the
// frame ends, then paint once what the table holds then.
//
// A caller that is about to change the table per record for a long while (the
// folder scan) can ask for more: with frame pacing on, the grid still keeps
// its rows exact at every notification, but brings its scroll bars up to date,
// paints and announces the frame (FrameEnded, which the grid's accessibility
// interface follows) only once per frame, and once more when pacing ends.
#pragma once

#include <QAbstractScrollArea>
#include <QElapsedTimer>
#include <QString>
#include <memory>
#include <string>

#include "memtable/TDataSet.h"

class FindDialog;
class QTimer;
class TDataSource;
class TField;
class TqvrCustomMemTable;

class TDBGridPlus : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit TDBGridPlus(QWidget* parent = nullptr);
    ~TDBGridPlus() override;

    void SetDataSource(TDataSource* source);
    TDataSource* DataSource() const;

    // The one column: bound by field name, with its title and width in pixels.
    QString ColumnTitle() const { return columnTitle_; }
    void SetColumnTitle(const QString& title);
    const std::string& ColumnFieldName() const { return columnFieldName_; }
    void SetColumnFieldName(std::string name);
    int ColumnWidth() const { return columnWidth_; }
    void SetColumnWidth(int width);
    /// The field object the column is bound to now; nullptr while unbound.
    TField* ColumnField() const { return columnField_; }

    // Geometry, in viewport coordinates.
    int RowHeight() const;
    int TitleHeight() const;
    int IndicatorWidth() const { return kIndicatorWidth; }
    /// Data rows that fit wholly below the title.
    int VisibleRowCount() const;
    /// Position in the current order shown in the top data row.
    int TopRow() const { return top_; }
    /// Records the rows show now (fewer than VisibleRowCount near the end).
    int RecordsShown() const;
    /// The current record's index among the visible rows; -1 when not shown.
    int CurrentRowIndex() const;
    /// Rectangle of the data cell of visible row `row` (0 = the topmost).
    QRect DataCellRect(int row) const;
    QRect TitleCellRect() const;
    /// The text visible row `row` shows (what paint draws).
    QString RowText(int row) const;

    // The highlighted block (positions in the current order), if any.
    bool HasBlock() const { return blockAnchor_ >= 0; }
    int BlockFirst() const;
    int BlockLast() const;

    /// The find dialog; nullptr before its first opening.
    FindDialog* Finder() const { return finder_; }

    /// Runs one search with the find dialog's settings (its "find next").
    /// `reverse` turns the direction round, as Ctrl does.
    void FindNext(bool reverse);

    /// Frame pacing, see above. Turning it off catches up at once.
    void SetFramePaced(bool paced);
    bool FramePaced() const { return framePaced_; }

signals:
    /// The grid has caught up with its table after a paced frame, or because
    /// pacing ended.
    void FrameEnded();

protected:
    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void changeEvent(QEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    class Link;
    friend class Link;

    static constexpr int kIndicatorWidth = 11;
    static constexpr int kMinColumnWidth = 4;
    static constexpr int kResizeGrip = 3;

    TqvrCustomMemTable* Table() const;
    bool TableOpen() const;
    // Paint pacing: HoldPaintIfTooSoon before a table change touches the scroll
    // bars, RequestPaint after it; EndFrame paints what was held.
    void HoldPaintIfTooSoon();
    void RequestPaint();
    void EndFrame();
    void DataEvent(TNotifyKind kind, bool open);
    void BindColumn();

    // Rows as the grid shows them: while a record is being inserted its edit
    // copy takes a row of its own and the records from there on move down one.
    int DisplayCount() const;
    int CurrentDisplay() const;
    QString DisplayText(int display) const;

    /// Brings the top row in line with where the table's cursor is now.
    void FollowCursor();
    /// FollowCursor without the scroll bars.
    void FollowRows();
    void SyncScrollBars();

    // Navigation, every one a call on the table.
    void StepBy(int distance);
    void StepTo(int display);
    void GoFirst();
    void GoLast();
    void StepKeepingBlock(int distance);
    void ClearBlock();
    void DeleteCurrent();
    void CopyFromAbove();
    void CancelEdit();
    void OpenFinder();
    void OnScrollAction(int action);
    void OnWheel(QWheelEvent* e);
    int DisplayAt(const QPoint& p) const;
    bool OnColumnEdge(const QPoint& p) const;
    template <typename Move> void OwnMove(Move move);
    int DataLeft() const;

    std::unique_ptr<Link> link_;
    TField* columnField_ = nullptr;
    QString columnTitle_ = QStringLiteral("Код работы");
    std::string columnFieldName_ = "ID";
    int columnWidth_ = 82;

    int top_ = 0;
    int currentRow_ = 0;
    bool ownMove_ = false;
    bool syncing_ = false;
    int blockAnchor_ = -1;
    int wheelRemainder_ = 0;
    bool dragging_ = false;
    bool resizing_ = false;
    int resizeOrigin_ = 0;

    FindDialog* finder_ = nullptr;

    static constexpr int kFrameMs = 16;
    QTimer* frame_ = nullptr; // ends a frame in which painting is held
    QElapsedTimer lastPaint_; // when a paint was last asked for
    bool paintHeld_ = false;
    bool framePaced_ = false;
    bool frameDue_ = false;                // a paced change waits for the frame's end
    mutable int rowHeight_ = -1;           // measured from the font when first asked for
    mutable TDataSet* castFrom_ = nullptr; // the data set Table() last cast
    mutable TqvrCustomMemTable* castTo_ = nullptr;
};
