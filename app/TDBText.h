// An answer label: shows one field of the current record of a table reached
// through a data source, on one line, sized to its text, "&" shown as written.
// It binds to its field by name and lets go of it whenever the table's field
// set may change, so it never holds a field object across a reload.
#pragma once

#include <QLabel>
#include <string>

class TDataSource;

class TDBText : public QLabel {
  Q_OBJECT
 public:
  explicit TDBText(QWidget* parent = nullptr);
  ~TDBText() override;

  void SetDataSource(TDataSource* source);
  void SetDataField(std::string name);

 private:
  TDataSource* dataSource_ = nullptr;
  std::string dataField_;
};
