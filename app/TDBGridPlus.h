// The work list grid: shows a memory table through a data source, one row per
// record in the table's current order, and turns keys and mouse actions into
// navigation calls on that table. It keeps no copy of the records: every paint
// reads the visible rows by position, and nothing it does to read them moves
// the table's cursor or raises an event.
#pragma once

#include <QAbstractScrollArea>
#include <memory>
#include <string>

class TDataSource;

class TDBGridPlus : public QAbstractScrollArea {
  Q_OBJECT
 public:
  explicit TDBGridPlus(QWidget* parent = nullptr);
  ~TDBGridPlus() override;

  void SetDataSource(TDataSource* source);
  TDataSource* DataSource() const;

 private:
  TDataSource* dataSource_ = nullptr;
};
