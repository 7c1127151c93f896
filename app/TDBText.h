// An answer label: shows one field of the current record of a table reached
// through a data source, on one line, sized to its text, "&" shown as written.
// It binds to its field by name and lets go of it whenever the table's field
// set may change, so it never holds a field object across a reload. A field
// name the table lacks is an error raised out of the table operation that made
// the label look for it.
#pragma once

#include <QLabel>
#include <memory>
#include <string>

#include "memtable/TDataSet.h"

class TDataSource;
class TField;

class TDBText : public QLabel {
    Q_OBJECT
public:
    explicit TDBText(QWidget* parent = nullptr);
    ~TDBText() override;

    void SetDataSource(TDataSource* source);
    TDataSource* DataSource() const;
    void SetDataField(std::string name);
    const std::string& DataField() const { return dataField_; }
    /// The field object the label is bound to now; nullptr when none.
    TField* Field() const { return field_; }

private:
    class Link;
    friend class Link;

    void DataEvent(TNotifyKind kind, TField* field, bool open);
    /// Looks the field up by name; raises the binding error when it is missing.
    void TakeField();
    void RefreshText();
    void ShowText(const QString& text);

    std::unique_ptr<Link> link_;
    std::string dataField_;
    TField* field_ = nullptr;
};
