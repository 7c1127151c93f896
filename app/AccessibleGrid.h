// What a screen reader learns about the work list grid: a one-column table
// whose rows are the records of the grid's table in its current order, each
// cell named by the text the grid shows for it (the ID), the current record's
// cell selected and, while the grid has the focus, focused.
//
// Rows are read the way the grid paints them, by position, so reading moves
// no cursor and raises no table event. A cell stands for a position, not for
// a record; cell objects are made only when asked for and only a few are kept,
// so a table of 100,000 works costs no more than one of ten.
//
// Assistive technology is told when the current record moves (selection and
// focus), when rows come or go, when a shown text changes, and when the table
// opens or closes. It learns this from a data link of its own on the grid's
// data source, so the grid needs no hook; the link exists only while an
// interface exists, that is while assistive technology has asked for one.
#pragma once

#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>
#include <memory>

#include "memtable/TDataSet.h"

class TDBGridPlus;
class TqvrCustomMemTable;

class AccessibleGrid : public QAccessibleWidget, public QAccessibleTableInterface {
public:
    explicit AccessibleGrid(TDBGridPlus* grid);
    ~AccessibleGrid() override;

    // QAccessibleInterface
    QAccessible::Role role() const override;
    QAccessible::State state() const override;
    QString text(QAccessible::Text t) const override;
    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QAccessibleInterface* focusChild() const override;
    void* interface_cast(QAccessible::InterfaceType t) override;

    // QAccessibleTableInterface: one column, one row per record.
    QAccessibleInterface* caption() const override;
    QAccessibleInterface* summary() const override;
    QAccessibleInterface* cellAt(int row, int column) const override;
    int selectedCellCount() const override;
    QList<QAccessibleInterface*> selectedCells() const override;
    QString columnDescription(int column) const override;
    QString rowDescription(int row) const override;
    int selectedColumnCount() const override;
    int selectedRowCount() const override;
    int columnCount() const override;
    int rowCount() const override;
    QList<int> selectedColumns() const override;
    QList<int> selectedRows() const override;
    bool isColumnSelected(int column) const override;
    bool isRowSelected(int row) const override;
    /// Makes the record of `row` current, as a click on that row does.
    bool selectRow(int row) override;
    bool selectColumn(int column) override;
    bool unselectRow(int row) override;
    bool unselectColumn(int column) override;
    void modelChange(QAccessibleTableModelChangeEvent* event) override;

    // Reading by position; what the cells and the tests use.
    TDBGridPlus* Grid() const;
    /// The shown text of the record at `row` of the current order.
    QString RowText(int row) const;
    /// Position of the current record; -1 when the table shows none.
    int CurrentRow() const;
    /// Screen rectangle of the row's data cell; empty when the row is scrolled away.
    QRect RowRect(int row) const;
    /// How many cell objects are kept now (bounded, whatever the table's size).
    int CachedCellCount() const { return static_cast<int>(cells_.size()); }

    /// Most cell objects kept at once. Past it the kept ones are let go: a
    /// client that wants one again is given a fresh one.
    static constexpr int kMaxCachedCells = 64;

private:
    class Watcher;
    friend class Watcher;

    TqvrCustomMemTable* Table() const;
    /// Compares what the table shows now with what was told last, and tells
    /// the differences. Called after every notification that can change rows.
    void Sync();
    void ForgetCells(int fromRow);
    void ForgetAllCells();
    /// Called once the grid has taken the focus: moves it on to the current cell.
    void TellFocus();

    struct Cell {
        QAccessible::Id id = 0;
        QString text; // what the client was last told
    };
    mutable QHash<int, Cell> cells_;
    std::unique_ptr<Watcher> watcher_;
    int toldRows_ = 0;
    int toldCurrent_ = -1;
};

/// One cell of the grid: the record at one position of the table's current
/// order. It holds only the grid and the position.
class AccessibleGridCell : public QAccessibleInterface,
                           public QAccessibleTableCellInterface,
                           public QAccessibleActionInterface {
public:
    AccessibleGridCell(TDBGridPlus* grid, int row);

    bool isValid() const override;
    QObject* object() const override;
    QWindow* window() const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QAccessibleInterface* parent() const override;
    QAccessibleInterface* child(int index) const override;
    int childCount() const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text t, const QString& text) override;
    QRect rect() const override;
    QAccessible::Role role() const override;
    QAccessible::State state() const override;
    void* interface_cast(QAccessible::InterfaceType t) override;

    bool isSelected() const override;
    QList<QAccessibleInterface*> columnHeaderCells() const override;
    QList<QAccessibleInterface*> rowHeaderCells() const override;
    int columnIndex() const override;
    int rowIndex() const override;
    int columnExtent() const override;
    int rowExtent() const override;
    QAccessibleInterface* table() const override;

    /// "SetFocus" makes this row's record current, as a click on it does.
    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;
    QStringList keyBindingsForAction(const QString& actionName) const override;

private:
    AccessibleGrid* GridInterface() const;

    QPointer<TDBGridPlus> grid_;
    int row_;
};
