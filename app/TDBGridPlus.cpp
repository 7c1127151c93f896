#include "app/TDBGridPlus.h"

#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionHeader>
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>

#include "app/FindDialog.h"
#include "app/MessageBoxes.h"
#include "app/WindowFont.h"
#include "memtable/TDataLink.h"
#include "memtable/TDataSource.h"
#include "memtable/TField.h"
#include "memtable/TqvrCustomMemTable.h"

class TDBGridPlus::Link : public TDataLink {
public:
    explicit Link(TDBGridPlus& grid) : grid_(grid) {}
    // The grid shows one column and re-reads its rows on every change, so which
    // field changed does not matter to it.
    void DataEvent(TNotifyKind kind, TField*, bool open) override { grid_.DataEvent(kind, open); }

private:
    TDBGridPlus& grid_;
};

TDBGridPlus::TDBGridPlus(QWidget* parent)
    : QAbstractScrollArea(parent), link_(std::make_unique<Link>(*this)) {
    setFocusPolicy(Qt::StrongFocus);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    verticalScrollBar()->setFocusPolicy(Qt::NoFocus);
    horizontalScrollBar()->setFocusPolicy(Qt::NoFocus);
    verticalScrollBar()->installEventFilter(this);
    viewport()->setMouseTracking(true);
    viewport()->setAutoFillBackground(true);
    viewport()->setBackgroundRole(QPalette::Base);
    connect(verticalScrollBar(), &QAbstractSlider::actionTriggered, this,
            &TDBGridPlus::OnScrollAction);
    frame_ = new QTimer(this);
    frame_->setSingleShot(true);
    frame_->setTimerType(Qt::PreciseTimer);
    connect(frame_, &QTimer::timeout, this, &TDBGridPlus::EndFrame);
    SyncScrollBars();
}

TDBGridPlus::~TDBGridPlus() {
    // The link must leave its data source before the grid's members go.
    link_->SetDataSource(nullptr);
}

void TDBGridPlus::SetDataSource(TDataSource* source) {
    castFrom_ = nullptr;
    link_->SetDataSource(source);
    BindColumn();
    top_ = 0;
    currentRow_ = 0;
    FollowCursor();
    viewport()->update();
}

TDataSource* TDBGridPlus::DataSource() const {
    return link_->DataSource();
}

void TDBGridPlus::SetColumnTitle(const QString& title) {
    columnTitle_ = title;
    viewport()->update();
}

void TDBGridPlus::SetColumnFieldName(std::string name) {
    columnFieldName_ = std::move(name);
    BindColumn();
    viewport()->update();
}

void TDBGridPlus::SetColumnWidth(int width) {
    columnWidth_ = std::max(kMinColumnWidth, width);
    SyncScrollBars();
    viewport()->update();
}

// Asked for several times per table notification: the cast is made once per
// data set, and again after every state change, when the data source may have
// been given another one.
TqvrCustomMemTable* TDBGridPlus::Table() const {
    TDataSet* set = link_->DataSet();
    if (set != castFrom_) {
        castFrom_ = set;
        castTo_ = dynamic_cast<TqvrCustomMemTable*>(set);
    }
    return castTo_;
}

bool TDBGridPlus::TableOpen() const {
    const TqvrCustomMemTable* t = Table();
    return t && link_->Active() && t->Active();
}

void TDBGridPlus::BindColumn() {
    TqvrCustomMemTable* t = Table();
    // A column whose field is missing stays blank rather than failing: the grid
    // is only a view of whatever fields the table has.
    columnField_ = (t && t->Active()) ? t->FindField(columnFieldName_) : nullptr;
}

void TDBGridPlus::DataEvent(TNotifyKind kind, bool open) {
    if (kind == nkStateChange) castFrom_ = nullptr;
    if (framePaced_ && kind != nkSuspendedStateChange && kind != nkCheckBrowseMode &&
        kind != nkUpdateRecord) {
        if (kind == nkStateChange || kind == nkLayoutChange || kind == nkFieldListChange)
            BindColumn();
        if (kind != nkRecordChange && kind != nkFieldChange) FollowRows();
        if (!frameDue_) {
            frameDue_ = true;
            if (!frame_->isActive()) frame_->start(kFrameMs);
        }
        return;
    }
    switch (kind) {
    case nkStateChange:
    case nkLayoutChange:
    case nkFieldListChange:
        HoldPaintIfTooSoon();
        BindColumn();
        FollowCursor();
        break;
    case nkSuspendedStateChange:
        // Nothing is drawn from this, but the field objects may be replaced
        // while the table is closed, so the column must not keep one across it.
        if (!open)
            columnField_ = nullptr;
        else if (link_->Active())
            BindColumn();
        return;
    case nkTableChange:
    case nkScroll:
        HoldPaintIfTooSoon();
        FollowCursor();
        break;
    case nkRecordChange:
    case nkFieldChange:
        HoldPaintIfTooSoon();
        break;
    case nkCheckBrowseMode:
    case nkUpdateRecord:
        return; // no editor: nothing to write back
    }
    RequestPaint();
}

// ---- Paint pacing ----
// The scroll bars repaint themselves whenever their range or value changes,
// so holding them has to start before the change reaches them; the rows are
// the grid's own and are simply asked for later.

void TDBGridPlus::HoldPaintIfTooSoon() {
    if (paintHeld_ || !lastPaint_.isValid() || lastPaint_.hasExpired(kFrameMs)) return;
    paintHeld_ = true;
    verticalScrollBar()->setUpdatesEnabled(false);
    horizontalScrollBar()->setUpdatesEnabled(false);
    frame_->start(static_cast<int>(std::max<qint64>(0, kFrameMs - lastPaint_.elapsed())));
}

void TDBGridPlus::RequestPaint() {
    if (paintHeld_) return; // the frame's end paints this change too
    lastPaint_.start();
    viewport()->update();
}

void TDBGridPlus::EndFrame() {
    const bool paced = frameDue_;
    frameDue_ = false;
    if (paced) SyncScrollBars();
    paintHeld_ = false;
    lastPaint_.start();
    // Enabling updates again repaints each bar as it stands now.
    verticalScrollBar()->setUpdatesEnabled(true);
    horizontalScrollBar()->setUpdatesEnabled(true);
    viewport()->update();
    if (paced) emit FrameEnded();
}

void TDBGridPlus::SetFramePaced(bool paced) {
    if (paced == framePaced_) return;
    framePaced_ = paced;
    if (!paced && frameDue_) {
        frame_->stop();
        EndFrame();
    }
}

// ---- Rows ----

int TDBGridPlus::DisplayCount() const {
    if (!TableOpen()) return 0;
    const TqvrCustomMemTable* t = Table();
    return t->RecordTotal() + (t->State() == tsInsert ? 1 : 0);
}

int TDBGridPlus::CurrentDisplay() const {
    if (!TableOpen()) return -1;
    const TqvrCustomMemTable* t = Table();
    int pos = t->CurrentPosition();
    if (t->State() == tsInsert) return pos < 0 ? t->RecordTotal() : pos;
    return pos;
}

QString TDBGridPlus::DisplayText(int display) const {
    if (!columnField_ || !TableOpen()) return {};
    const TqvrCustomMemTable* t = Table();
    int current = CurrentDisplay();
    if (display == current && t->State() != tsBrowse)
        return QString::fromStdString(columnField_->StringValue());
    int position = display;
    if (t->State() == tsInsert && display > current) --position;
    return QString::fromStdString(t->FieldTextAt(position, *columnField_));
}

// ---- Geometry ----

// Both heights are asked for on every table notification; measuring a font
// each time would cost more than the rest of following the table.
int TDBGridPlus::RowHeight() const {
    if (rowHeight_ < 0) rowHeight_ = fontMetrics().height() + 4;
    return rowHeight_;
}

int TDBGridPlus::TitleHeight() const {
    static const int height = QFontMetrics(WindowFont()).height() + 6;
    return height;
}

void TDBGridPlus::changeEvent(QEvent* e) {
    if (e->type() == QEvent::FontChange) {
        rowHeight_ = -1;
        FollowCursor();
    }
    QAbstractScrollArea::changeEvent(e);
}

int TDBGridPlus::VisibleRowCount() const {
    int h = viewport()->height() - TitleHeight();
    return h > 0 ? h / RowHeight() : 0;
}

int TDBGridPlus::RecordsShown() const {
    int count = DisplayCount();
    return std::clamp(count - top_, 0, VisibleRowCount());
}

int TDBGridPlus::CurrentRowIndex() const {
    int current = CurrentDisplay();
    if (current < top_ || current >= top_ + VisibleRowCount()) return -1;
    return current - top_;
}

int TDBGridPlus::DataLeft() const {
    return kIndicatorWidth + 1 - horizontalScrollBar()->value();
}

QRect TDBGridPlus::DataCellRect(int row) const {
    return QRect(DataLeft(), TitleHeight() + row * RowHeight(), columnWidth_, RowHeight() - 1);
}

QRect TDBGridPlus::TitleCellRect() const {
    return QRect(DataLeft(), 0, columnWidth_, TitleHeight() - 1);
}

QString TDBGridPlus::RowText(int row) const {
    if (row < 0 || row >= RecordsShown()) return {};
    return DisplayText(top_ + row);
}

int TDBGridPlus::DisplayAt(const QPoint& p) const {
    if (p.y() < TitleHeight() || p.x() >= DataLeft() + columnWidth_ + 1) return -1;
    int row = (p.y() - TitleHeight()) / RowHeight();
    if (row >= VisibleRowCount()) return -1;
    int display = top_ + row;
    return display < DisplayCount() ? display : -1;
}

bool TDBGridPlus::OnColumnEdge(const QPoint& p) const {
    int edge = DataLeft() + columnWidth_;
    return p.y() >= 0 && p.y() < TitleHeight() && std::abs(p.x() - edge) <= kResizeGrip;
}

int TDBGridPlus::BlockFirst() const {
    return HasBlock() ? std::min(blockAnchor_, CurrentDisplay()) : -1;
}
int TDBGridPlus::BlockLast() const {
    return HasBlock() ? std::max(blockAnchor_, CurrentDisplay()) : -1;
}

// ---- Following the table ----

void TDBGridPlus::FollowCursor() {
    FollowRows();
    SyncScrollBars();
}

void TDBGridPlus::FollowRows() {
    int count = DisplayCount();
    int current = CurrentDisplay();
    int rows = std::max(1, VisibleRowCount());
    if (current >= 0 && (current < top_ || current >= top_ + rows)) {
        if (ownMove_)
            top_ = current < top_ ? current : current - rows + 1; // the least scroll that shows it
        else
            top_ =
                current - currentRow_; // a jump from elsewhere keeps the current row where it was
    }
    top_ = std::clamp(top_, 0, std::max(0, count - rows));
    if (current >= 0) currentRow_ = std::clamp(current - top_, 0, rows - 1);
}

void TDBGridPlus::SyncScrollBars() {
    syncing_ = true;
    QScrollBar* v = verticalScrollBar();
    int count = DisplayCount();
    v->setRange(0, std::max(0, count - 1));
    v->setPageStep(std::max(1, VisibleRowCount()));
    v->setSingleStep(1);
    v->setValue(std::max(0, CurrentDisplay()));
    QScrollBar* h = horizontalScrollBar();
    int width = kIndicatorWidth + 1 + columnWidth_ + 1;
    h->setRange(0, std::max(0, width - viewport()->width()));
    h->setPageStep(std::max(1, viewport()->width()));
    syncing_ = false;
}

// The bar's value follows the current record, so this comes with every
// scroll of the table, and is paced like the rest.
void TDBGridPlus::scrollContentsBy(int, int) {
    RequestPaint();
}

void TDBGridPlus::resizeEvent(QResizeEvent* e) {
    QAbstractScrollArea::resizeEvent(e);
    FollowCursor();
}

// ---- Navigation ----
// Every move goes to the table as one call; the table decides what it raises.

// Runs one navigation call on the table, marked as the grid's own move so that
// the grid scrolls as little as needed to follow it (a move the table makes
// by itself keeps the current row where it stands on the screen).
template <typename Move> void TDBGridPlus::OwnMove(Move move) {
    TqvrCustomMemTable* t = Table();
    if (!t) return;
    ownMove_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{ownMove_};
    move(*t);
}

void TDBGridPlus::StepBy(int distance) {
    OwnMove([distance](TqvrCustomMemTable& t) { t.StepBy(distance); });
}

void TDBGridPlus::StepTo(int display) {
    StepBy(display - std::max(0, CurrentDisplay()));
}

void TDBGridPlus::GoFirst() {
    OwnMove([](TqvrCustomMemTable& t) { t.GoFirst(); });
}

void TDBGridPlus::GoLast() {
    OwnMove([](TqvrCustomMemTable& t) { t.GoLast(); });
}

void TDBGridPlus::ClearBlock() {
    if (blockAnchor_ < 0) return;
    blockAnchor_ = -1;
    viewport()->update();
}

void TDBGridPlus::StepKeepingBlock(int distance) {
    if (blockAnchor_ < 0) blockAnchor_ = std::max(0, CurrentDisplay());
    StepBy(distance);
    viewport()->update();
}

void TDBGridPlus::CancelEdit() {
    TqvrCustomMemTable* t = Table();
    if (t && TableOpen() && (t->State() == tsEdit || t->State() == tsInsert)) t->Cancel();
    ClearBlock();
}

void TDBGridPlus::DeleteCurrent() {
    TqvrCustomMemTable* t = Table();
    if (!t || !TableOpen() || t->NoCurrentRecord() || !t->Modifiable()) return;
    if (MessageBoxes::Question(QStringLiteral("Confirm"), QStringLiteral("Delete record?"), this) !=
        MessageBoxes::Answer::Ok)
        return;
    t->Delete();
}

void TDBGridPlus::CopyFromAbove() {
    if (!TableOpen() || !columnField_) return;
    int row = CurrentRowIndex();
    if (row <= 0) return; // the topmost visible row has nothing above it
    std::string above = DisplayText(top_ + row - 1).toStdString();
    if (!link_->DataSource()->Edit()) return;
    columnField_->SetStringValue(above);
}

void TDBGridPlus::OpenFinder() {
    if (!finder_) {
        finder_ = new FindDialog(window());
        finder_->SetFindHandler([this](bool reverse) { FindNext(reverse); });
    }
    finder_->Prepare({columnTitle_}, columnTitle_);
    finder_->exec();
}

void TDBGridPlus::OnScrollAction(int action) {
    if (syncing_) return;
    QScrollBar* v = verticalScrollBar();
    int current = std::max(0, CurrentDisplay());
    int rows = std::max(1, VisibleRowCount());
    switch (action) {
    case QAbstractSlider::SliderSingleStepAdd:
        StepBy(top_ + rows - current);
        break;
    case QAbstractSlider::SliderSingleStepSub:
        StepBy(top_ - 1 - current);
        break;
    case QAbstractSlider::SliderPageStepAdd:
        StepBy(rows);
        break;
    case QAbstractSlider::SliderPageStepSub:
        StepBy(-rows);
        break;
    case QAbstractSlider::SliderToMinimum:
        GoFirst();
        break;
    case QAbstractSlider::SliderToMaximum:
        GoLast();
        break;
    case QAbstractSlider::SliderMove: {
        int place = v->sliderPosition();
        if (place <= v->minimum())
            GoFirst();
        else if (place >= v->maximum())
            GoLast();
        else if (Table() && TableOpen())
            Table()->SetRecordNumber(place + 1);
        break;
    }
    default:
        break;
    }
    // The bar shows where the table is, not where the user pushed it.
    v->setSliderPosition(std::max(0, CurrentDisplay()));
}

// ---- Keys ----

bool TDBGridPlus::event(QEvent* e) {
    if (e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        // The grid keeps Tab: it moves the record instead of the focus.
        if ((k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab) &&
            !(k->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            keyPressEvent(k);
            return true;
        }
    } else if (e->type() == QEvent::ShortcutOverride) {
        auto* k = static_cast<QKeyEvent*>(e);
        if (!(k->modifiers() & (Qt::AltModifier | Qt::MetaModifier))) {
            e->accept();
            return true;
        }
    }
    return QAbstractScrollArea::event(e);
}

void TDBGridPlus::keyPressEvent(QKeyEvent* e) {
    const Qt::KeyboardModifiers mods = e->modifiers();
    if (mods & (Qt::AltModifier | Qt::MetaModifier)) {
        e->ignore();
        return;
    }
    const bool ctrl = mods & Qt::ControlModifier;
    const bool shift = mods & Qt::ShiftModifier;
    e->accept();
    const int rows = std::max(1, VisibleRowCount());
    const int lowest = std::min(top_ + rows, DisplayCount()) - 1;
    switch (e->key()) {
    case Qt::Key_Down:
    case Qt::Key_Up: {
        const bool down = e->key() == Qt::Key_Down;
        if (ctrl) {
            ClearBlock();
            StepTo(down ? std::max(lowest, 0) : top_);
        } else if (shift) {
            StepKeepingBlock(down ? 1 : -1);
        } else {
            ClearBlock();
            StepBy(down ? 1 : -1);
        }
        break;
    }
    case Qt::Key_PageDown:
    case Qt::Key_PageUp: {
        const bool down = e->key() == Qt::Key_PageDown;
        ClearBlock();
        if (ctrl)
            StepTo(down ? std::max(lowest, 0) : top_);
        else
            StepBy(down ? rows : -rows);
        break;
    }
    case Qt::Key_Home:
        ClearBlock();
        GoFirst();
        break;
    case Qt::Key_End:
        ClearBlock();
        GoLast();
        break;
    case Qt::Key_Tab:
        ClearBlock();
        StepBy(shift ? -1 : 1);
        break;
    case Qt::Key_Backtab:
        ClearBlock();
        StepBy(-1);
        break;
    case Qt::Key_Delete:
        if (ctrl) DeleteCurrent();
        break;
    case Qt::Key_Apostrophe:
        if (ctrl) CopyFromAbove();
        break;
    case Qt::Key_F:
        if (ctrl && !shift) OpenFinder();
        break;
    case Qt::Key_Escape:
        CancelEdit();
        break;
    default:
        // Left and Right have no other column to go to; Insert, Enter, F2,
        // typed characters and the clipboard keys are not used by this grid.
        break;
    }
}

// ---- Mouse ----

void TDBGridPlus::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    setFocus(Qt::MouseFocusReason);
    const QPoint p = e->position().toPoint();
    if (OnColumnEdge(p)) {
        resizing_ = true;
        resizeOrigin_ = DataLeft();
        return;
    }
    int display = DisplayAt(p);
    if (display < 0) return; // the title cell does nothing, nor does empty space
    const int current = CurrentDisplay();
    if (e->modifiers() & Qt::ShiftModifier) {
        if (blockAnchor_ < 0) blockAnchor_ = std::max(0, current);
    } else {
        ClearBlock();
    }
    dragging_ = true;
    if (display != current) StepBy(display - std::max(0, current));
    viewport()->update();
}

void TDBGridPlus::mouseMoveEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    if (resizing_) {
        SetColumnWidth(p.x() - resizeOrigin_);
        return;
    }
    if (!(e->buttons() & Qt::LeftButton) || !dragging_) {
        viewport()->setCursor(OnColumnEdge(p) ? Qt::SplitHCursor : Qt::ArrowCursor);
        return;
    }
    int display = DisplayAt(p);
    int current = CurrentDisplay();
    if (display < 0 || display == current) return;
    if (blockAnchor_ < 0) blockAnchor_ = std::max(0, current);
    StepBy(display - std::max(0, current));
    viewport()->update();
}

void TDBGridPlus::mouseReleaseEvent(QMouseEvent*) {
    dragging_ = false;
    resizing_ = false;
}

// The second click of a double click only ends the first one's action.
void TDBGridPlus::mouseDoubleClickEvent(QMouseEvent*) {}

void TDBGridPlus::wheelEvent(QWheelEvent* e) {
    OnWheel(e);
}

void TDBGridPlus::OnWheel(QWheelEvent* e) {
    e->accept();
    wheelRemainder_ += e->angleDelta().y();
    ClearBlock();
    while (wheelRemainder_ >= 120) {
        wheelRemainder_ -= 120;
        StepBy(-1);
    }
    while (wheelRemainder_ <= -120) {
        wheelRemainder_ += 120;
        StepBy(1);
    }
}

bool TDBGridPlus::eventFilter(QObject* watched, QEvent* e) {
    // The wheel over the scroll bar moves by records like the wheel over the rows.
    if (watched == verticalScrollBar() && e->type() == QEvent::Wheel) {
        OnWheel(static_cast<QWheelEvent*>(e));
        return true;
    }
    return QAbstractScrollArea::eventFilter(watched, e);
}

void TDBGridPlus::focusOutEvent(QFocusEvent* e) {
    QAbstractScrollArea::focusOutEvent(e);
    // An insertion left empty when the grid loses the focus is dropped.
    TqvrCustomMemTable* t = Table();
    if (e->reason() != Qt::PopupFocusReason && t && TableOpen() && t->State() == tsInsert &&
        !t->Modified())
        t->Cancel();
    viewport()->update();
}

// ---- Painting ----

void TDBGridPlus::paintEvent(QPaintEvent*) {
    QPainter p(viewport());
    const QPalette& pal = palette();
    const int titleH = TitleHeight();
    const int rowH = RowHeight();
    const int rows = VisibleRowCount();
    const int left = DataLeft();
    const int right = left + columnWidth_; // the column's line stands at this x
    const QColor lineColour = pal.color(QPalette::Mid);
    const QColor fixedColour = pal.color(QPalette::Button);

    auto raised = [&](const QRect& r) {
        p.fillRect(r, fixedColour);
        p.setPen(pal.color(QPalette::Light));
        p.drawLine(r.topLeft(), r.topRight());
        p.drawLine(r.topLeft(), r.bottomLeft());
        p.setPen(pal.color(QPalette::Dark));
        p.drawLine(r.bottomLeft(), r.bottomRight());
        p.drawLine(r.topRight(), r.bottomRight());
    };

    // Data rows first, so that the fixed indicator column covers what scrolls under it.
    const int count = DisplayCount();
    const int current = CurrentDisplay();
    const int shown = std::clamp(count - top_, 0, rows);
    const int blockFirst = BlockFirst();
    const int blockLast = BlockLast();
    p.setFont(font());
    for (int row = 0; row < shown; ++row) {
        const int display = top_ + row;
        QRect cell(left, titleH + row * rowH, columnWidth_, rowH - 1);
        QColor text = pal.color(QPalette::Text);
        if (display == current) {
            p.fillRect(cell, pal.color(QPalette::Active, QPalette::Highlight));
            text = pal.color(QPalette::Active, QPalette::HighlightedText);
        } else if (display >= blockFirst && display <= blockLast) {
            p.fillRect(cell, pal.color(QPalette::Inactive, QPalette::Highlight).lighter(130));
            text = pal.color(QPalette::Inactive, QPalette::HighlightedText);
        }
        p.setPen(text);
        p.save();
        p.setClipRect(cell.adjusted(0, 0, 0, 0));
        p.drawText(cell.adjusted(2, 0, -2, 0),
                   Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, DisplayText(display));
        p.restore();
        if (display == current && hasFocus()) {
            p.setPen(QPen(pal.color(QPalette::HighlightedText), 1, Qt::DotLine));
            p.drawRect(cell.adjusted(0, 0, -1, -1));
        }
    }
    // Grid lines.
    p.setPen(lineColour);
    const int bottom = titleH + shown * rowH;
    for (int row = 0; row < shown; ++row) {
        const int y = titleH + row * rowH + rowH - 1;
        p.drawLine(left, y, right, y);
    }
    if (shown > 0) p.drawLine(right, titleH, right, bottom - 1);

    // Title row: the title keeps the window's font even where the cells are
    // given another.
    p.setFont(WindowFont());
    QRect title(left, 0, columnWidth_ + 1, titleH);
    raised(title.adjusted(0, 0, -1, -1));
    p.setPen(pal.color(QPalette::WindowText));
    p.drawText(title.adjusted(2, 0, -3, -1), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
               columnTitle_);

    // Indicator column, fixed at the left.
    raised(QRect(0, 0, kIndicatorWidth + 1, titleH).adjusted(0, 0, -1, -1));
    for (int row = 0; row < rows; ++row) {
        QRect cell(0, titleH + row * rowH, kIndicatorWidth + 1, rowH);
        if (row >= shown) {
            p.fillRect(cell, pal.color(QPalette::Base));
            continue;
        }
        raised(cell.adjusted(0, 0, -1, -1));
        if (top_ + row != current) continue;
        const QPoint c = cell.center();
        p.setPen(Qt::NoPen);
        p.setBrush(pal.color(QPalette::WindowText));
        const TqvrCustomMemTable* t = Table();
        if (t && (t->State() == tsEdit || t->State() == tsInsert)) {
            // The edit mark: a text cursor.
            p.setPen(pal.color(QPalette::WindowText));
            p.drawLine(c.x(), c.y() - 4, c.x(), c.y() + 4);
            p.drawLine(c.x() - 2, c.y() - 4, c.x() + 2, c.y() - 4);
            p.drawLine(c.x() - 2, c.y() + 4, c.x() + 2, c.y() + 4);
        } else {
            p.drawPolygon(QPolygon({QPoint(c.x() - 2, c.y() - 4), QPoint(c.x() + 2, c.y()),
                                    QPoint(c.x() - 2, c.y() + 4)}));
        }
        p.setBrush(Qt::NoBrush);
    }
}
