#include "app/AccessibleGrid.h"

#include <QAccessible>
#include <QEvent>
#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <algorithm>

#include "app/AccessibleEvents.h"
#include "app/TDBGridPlus.h"
#include "memtable/TDataLink.h"
#include "memtable/TDataSource.h"
#include "memtable/TqvrCustomMemTable.h"

// Listens on the grid's behalf: to the table through a data link on the
// grid's own data source (it is told after the grid, which has by then
// followed the change), and to the grid for the moment it takes the focus.
// While the grid is frame-paced, assistive technology is told at the grid's
// pace too: what the table holds at the frame's end, not every step on the
// way there.
class AccessibleGrid::Watcher : public QObject, public TDataLink {
public:
    Watcher(AccessibleGrid* owner, TDBGridPlus* grid) : owner_(owner), grid_(grid) {
        grid->installEventFilter(this);
        connect(grid, &TDBGridPlus::FrameEnded, this, [this] {
            if (!due_) return;
            due_ = false;
            owner_->Sync();
        });
    }

    void DataEvent(TNotifyKind kind, TField*, bool) override {
        switch (kind) {
        case nkStateChange:
        case nkTableChange:
        case nkScroll:
        case nkRecordChange:
        case nkLayoutChange:
            if (grid_ && grid_->FramePaced())
                due_ = true;
            else
                owner_->Sync();
            break;
        default:
            // Field writes land in an edit copy that no row shows yet; the
            // others change nothing a reader sees.
            break;
        }
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::FocusIn) {
            // The widget tells of its own focus after this filter has run; the
            // current cell is told after that, so it is what a reader hears.
            QMetaObject::invokeMethod(
                this, [this] { owner_->TellFocus(); }, Qt::QueuedConnection);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    AccessibleGrid* owner_;
    QPointer<TDBGridPlus> grid_;
    bool due_ = false;
};

namespace {

void Post(QAccessibleEvent& event) {
    PostAccessibleEvent(event);
}

} // namespace

AccessibleGrid::AccessibleGrid(TDBGridPlus* grid)
    : QAccessibleWidget(grid, QAccessible::Table), watcher_(std::make_unique<Watcher>(this, grid)) {
    watcher_->SetDataSource(grid->DataSource());
    toldRows_ = rowCount();
    toldCurrent_ = CurrentRow();
}

AccessibleGrid::~AccessibleGrid() {
    watcher_->SetDataSource(nullptr);
    ForgetAllCells();
}

TDBGridPlus* AccessibleGrid::Grid() const {
    return static_cast<TDBGridPlus*>(widget());
}

TqvrCustomMemTable* AccessibleGrid::Table() const {
    TDBGridPlus* grid = Grid();
    if (grid == nullptr) return nullptr;
    // The window may give the grid its data source after a reader first
    // asked; follow it so that notifications keep coming.
    if (watcher_->DataSource() != grid->DataSource()) watcher_->SetDataSource(grid->DataSource());
    TDataSource* source = grid->DataSource();
    if (source == nullptr || !source->Active()) return nullptr;
    auto* table = dynamic_cast<TqvrCustomMemTable*>(source->DataSet());
    return table != nullptr && table->Active() ? table : nullptr;
}

int AccessibleGrid::rowCount() const {
    const TqvrCustomMemTable* table = Table();
    return table == nullptr ? 0 : table->RecordTotal();
}

int AccessibleGrid::CurrentRow() const {
    const TqvrCustomMemTable* table = Table();
    if (table == nullptr) return -1;
    const int position = table->CurrentPosition();
    return position >= 0 && position < table->RecordTotal() ? position : -1;
}

QString AccessibleGrid::RowText(int row) const {
    const TqvrCustomMemTable* table = Table();
    const TField* field = Grid() == nullptr ? nullptr : Grid()->ColumnField();
    if (table == nullptr || field == nullptr || row < 0 || row >= table->RecordTotal()) return {};
    return QString::fromStdString(table->FieldTextAt(row, *field));
}

QRect AccessibleGrid::RowRect(int row) const {
    TDBGridPlus* grid = Grid();
    if (grid == nullptr || !grid->isVisible()) return {};
    const int visible = row - grid->TopRow();
    if (visible < 0 || visible >= grid->RecordsShown()) return {};
    const QRect local = grid->DataCellRect(visible);
    return QRect(grid->viewport()->mapToGlobal(local.topLeft()), local.size());
}

QAccessible::Role AccessibleGrid::role() const {
    return QAccessible::Table;
}

QAccessible::State AccessibleGrid::state() const {
    QAccessible::State s = QAccessibleWidget::state();
    s.readOnly = true;
    return s;
}

QString AccessibleGrid::text(QAccessible::Text t) const {
    if (t == QAccessible::Name) {
        const QString own = widget()->accessibleName();
        return own.isEmpty() && Grid() != nullptr ? Grid()->ColumnTitle() : own;
    }
    return QAccessibleWidget::text(t);
}

int AccessibleGrid::childCount() const {
    return rowCount();
}

QAccessibleInterface* AccessibleGrid::child(int index) const {
    if (index < 0 || index >= rowCount()) return nullptr;
    auto found = cells_.constFind(index);
    if (found != cells_.constEnd()) {
        if (QAccessibleInterface* cell = QAccessible::accessibleInterface(found->id)) return cell;
        cells_.erase(found);
    }
    if (cells_.size() >= kMaxCachedCells) const_cast<AccessibleGrid*>(this)->ForgetAllCells();
    auto* cell = new AccessibleGridCell(Grid(), index);
    const QAccessible::Id id = QAccessible::registerAccessibleInterface(cell);
    cells_.insert(index, Cell{id, RowText(index)});
    return cell;
}

int AccessibleGrid::indexOfChild(const QAccessibleInterface* child) const {
    if (child == nullptr || child->role() != QAccessible::Cell) return -1;
    auto* cell = const_cast<QAccessibleInterface*>(child)->tableCellInterface();
    if (cell == nullptr || cell->table() != this) return -1;
    return cell->rowIndex();
}

QAccessibleInterface* AccessibleGrid::childAt(int x, int y) const {
    TDBGridPlus* grid = Grid();
    if (grid == nullptr) return nullptr;
    const int shown = grid->RecordsShown();
    for (int visible = 0; visible < shown; ++visible) {
        const int row = grid->TopRow() + visible;
        if (RowRect(row).contains(x, y)) return child(row);
    }
    return nullptr;
}

QAccessibleInterface* AccessibleGrid::focusChild() const {
    const int current = CurrentRow();
    if (Grid() == nullptr || !Grid()->hasFocus() || current < 0) return nullptr;
    return child(current);
}

void* AccessibleGrid::interface_cast(QAccessible::InterfaceType t) {
    if (t == QAccessible::TableInterface) return static_cast<QAccessibleTableInterface*>(this);
    return QAccessibleWidget::interface_cast(t);
}

QAccessibleInterface* AccessibleGrid::caption() const {
    return nullptr;
}

QAccessibleInterface* AccessibleGrid::summary() const {
    return nullptr;
}

QAccessibleInterface* AccessibleGrid::cellAt(int row, int column) const {
    return column == 0 ? child(row) : nullptr;
}

int AccessibleGrid::selectedCellCount() const {
    return CurrentRow() >= 0 ? 1 : 0;
}

QList<QAccessibleInterface*> AccessibleGrid::selectedCells() const {
    const int current = CurrentRow();
    if (current < 0) return {};
    return {child(current)};
}

QString AccessibleGrid::columnDescription(int column) const {
    return column == 0 && Grid() != nullptr ? Grid()->ColumnTitle() : QString();
}

QString AccessibleGrid::rowDescription(int) const {
    return {};
}

int AccessibleGrid::selectedColumnCount() const {
    return 0;
}

int AccessibleGrid::selectedRowCount() const {
    return CurrentRow() >= 0 ? 1 : 0;
}

int AccessibleGrid::columnCount() const {
    return 1;
}

QList<int> AccessibleGrid::selectedColumns() const {
    return {};
}

QList<int> AccessibleGrid::selectedRows() const {
    const int current = CurrentRow();
    if (current < 0) return {};
    return {current};
}

bool AccessibleGrid::isColumnSelected(int) const {
    return false;
}

bool AccessibleGrid::isRowSelected(int row) const {
    return row >= 0 && row == CurrentRow();
}

bool AccessibleGrid::selectRow(int row) {
    if (row < 0 || row >= rowCount()) return false;
    // Later, from the event loop, like a click: the move raises the table's
    // scroll events, whose handlers may open a modal box, and the reader that
    // asked must not wait for that box to close.
    QPointer<TDBGridPlus> grid = Grid();
    QMetaObject::invokeMethod(
        grid,
        [grid, row] {
            if (grid == nullptr || grid->DataSource() == nullptr) return;
            auto* table = dynamic_cast<TqvrCustomMemTable*>(grid->DataSource()->DataSet());
            if (table == nullptr || !table->Active() || row >= table->RecordTotal()) return;
            const int current = table->CurrentPosition();
            if (current >= 0 && row != current) table->StepBy(row - current);
        },
        Qt::QueuedConnection);
    return true;
}

bool AccessibleGrid::selectColumn(int) {
    return false;
}

bool AccessibleGrid::unselectRow(int) {
    return false;
}

bool AccessibleGrid::unselectColumn(int) {
    return false;
}

void AccessibleGrid::modelChange(QAccessibleTableModelChangeEvent*) {
    // The changes are found by Sync() from the table itself.
}

void AccessibleGrid::ForgetCells(int fromRow) {
    for (auto it = cells_.begin(); it != cells_.end();) {
        if (it.key() >= fromRow) {
            QAccessible::deleteAccessibleInterface(it->id);
            it = cells_.erase(it);
        } else {
            ++it;
        }
    }
}

void AccessibleGrid::ForgetAllCells() {
    ForgetCells(0);
}

void AccessibleGrid::Sync() {
    const int rows = rowCount();
    const int current = CurrentRow();
    QObject* grid = object();

    if (rows != toldRows_) {
        // Cells are positions, so a table that grew by k rows is told as k rows
        // added at the end plus the renamed cells below; that is exactly what a
        // reader walking the rows would find.
        ForgetCells(rows);
        {
            const bool added = rows > toldRows_;
            QAccessibleTableModelChangeEvent change(
                grid, added ? QAccessibleTableModelChangeEvent::RowsInserted
                            : QAccessibleTableModelChangeEvent::RowsRemoved);
            change.setFirstRow(std::min(rows, toldRows_));
            change.setLastRow(std::max(rows, toldRows_) - 1);
            change.setFirstColumn(0);
            change.setLastColumn(0);
            Post(change);
        }
        toldRows_ = rows;
    }

    for (auto it = cells_.begin(); it != cells_.end(); ++it) {
        const QString now = RowText(it.key());
        if (now == it->text) continue;
        it->text = now;
        {
            if (QAccessibleInterface* cell = QAccessible::accessibleInterface(it->id)) {
                QAccessibleEvent renamed(cell, QAccessible::NameChanged);
                Post(renamed);
            }
        }
    }

    if (current != toldCurrent_) {
        const int before = toldCurrent_;
        toldCurrent_ = current;
        QAccessible::State selection;
        selection.selected = true;
        selection.focused = true;
        auto found = cells_.constFind(before);
        if (found != cells_.constEnd()) {
            if (QAccessibleInterface* old = QAccessible::accessibleInterface(found->id)) {
                QAccessibleStateChangeEvent unselected(old, selection);
                Post(unselected);
            }
        }
        if (current >= 0) {
            QAccessibleInterface* now = child(current);
            QAccessibleStateChangeEvent selected(now, selection);
            Post(selected);
            QAccessibleEvent chosen(grid, QAccessible::Selection);
            chosen.setChild(current);
            Post(chosen);
            if (Grid()->hasFocus()) {
                QAccessibleEvent focus(grid, QAccessible::Focus);
                focus.setChild(current);
                Post(focus);
            }
        }
    }
}

void AccessibleGrid::TellFocus() {
    const int current = CurrentRow();
    if (Grid() == nullptr || !Grid()->hasFocus() || current < 0) return;
    QAccessibleEvent focus(object(), QAccessible::Focus);
    focus.setChild(current);
    Post(focus);
}

// ---- AccessibleGridCell ----

AccessibleGridCell::AccessibleGridCell(TDBGridPlus* grid, int row) : grid_(grid), row_(row) {}

AccessibleGrid* AccessibleGridCell::GridInterface() const {
    if (grid_ == nullptr) return nullptr;
    return dynamic_cast<AccessibleGrid*>(QAccessible::queryAccessibleInterface(grid_.data()));
}

bool AccessibleGridCell::isValid() const {
    const AccessibleGrid* grid = GridInterface();
    return grid != nullptr && row_ < grid->rowCount();
}

QObject* AccessibleGridCell::object() const {
    return nullptr;
}

QWindow* AccessibleGridCell::window() const {
    const AccessibleGrid* grid = GridInterface();
    return grid == nullptr ? nullptr : grid->window();
}

QAccessibleInterface* AccessibleGridCell::childAt(int, int) const {
    return nullptr;
}

QAccessibleInterface* AccessibleGridCell::parent() const {
    return GridInterface();
}

QAccessibleInterface* AccessibleGridCell::child(int) const {
    return nullptr;
}

int AccessibleGridCell::childCount() const {
    return 0;
}

int AccessibleGridCell::indexOfChild(const QAccessibleInterface*) const {
    return -1;
}

QString AccessibleGridCell::text(QAccessible::Text t) const {
    const AccessibleGrid* grid = GridInterface();
    if (grid == nullptr) return {};
    switch (t) {
    case QAccessible::Name:
    case QAccessible::Value:
        return grid->RowText(row_);
    default:
        return {};
    }
}

void AccessibleGridCell::setText(QAccessible::Text, const QString&) {
    // The grid has no editor; its cells are read-only.
}

QRect AccessibleGridCell::rect() const {
    const AccessibleGrid* grid = GridInterface();
    return grid == nullptr ? QRect() : grid->RowRect(row_);
}

QAccessible::Role AccessibleGridCell::role() const {
    return QAccessible::Cell;
}

QAccessible::State AccessibleGridCell::state() const {
    QAccessible::State s;
    const AccessibleGrid* grid = GridInterface();
    if (grid == nullptr) {
        s.invalid = true;
        return s;
    }
    s.readOnly = true;
    s.selectable = true;
    s.focusable = true;
    if (rect().isEmpty()) {
        s.invisible = true;
        s.offscreen = true;
    }
    if (row_ == grid->CurrentRow()) {
        s.selected = true;
        s.active = true;
        s.focused = grid_->hasFocus();
    }
    return s;
}

void* AccessibleGridCell::interface_cast(QAccessible::InterfaceType t) {
    if (t == QAccessible::TableCellInterface)
        return static_cast<QAccessibleTableCellInterface*>(this);
    if (t == QAccessible::ActionInterface) return static_cast<QAccessibleActionInterface*>(this);
    return nullptr;
}

bool AccessibleGridCell::isSelected() const {
    const AccessibleGrid* grid = GridInterface();
    return grid != nullptr && row_ == grid->CurrentRow();
}

QList<QAccessibleInterface*> AccessibleGridCell::columnHeaderCells() const {
    return {};
}

QList<QAccessibleInterface*> AccessibleGridCell::rowHeaderCells() const {
    return {};
}

int AccessibleGridCell::columnIndex() const {
    return 0;
}

int AccessibleGridCell::rowIndex() const {
    return row_;
}

int AccessibleGridCell::columnExtent() const {
    return 1;
}

int AccessibleGridCell::rowExtent() const {
    return 1;
}

QAccessibleInterface* AccessibleGridCell::table() const {
    return GridInterface();
}

QStringList AccessibleGridCell::actionNames() const {
    return {setFocusAction()};
}

void AccessibleGridCell::doAction(const QString& actionName) {
    AccessibleGrid* grid = GridInterface();
    if (grid != nullptr && actionName == setFocusAction()) grid->selectRow(row_);
}

QStringList AccessibleGridCell::keyBindingsForAction(const QString&) const {
    return {};
}
