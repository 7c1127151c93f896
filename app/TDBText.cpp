#include "app/TDBText.h"

#include "memtable/Exceptions.h"
#include "memtable/TDataLink.h"
#include "memtable/TDataSource.h"
#include "memtable/TField.h"

class TDBText::Link : public TDataLink {
public:
    explicit Link(TDBText& label) : label_(label) {}
    void DataEvent(TNotifyKind kind, TField* field, bool open) override {
        label_.DataEvent(kind, field, open);
    }

private:
    TDBText& label_;
};

TDBText::TDBText(QWidget* parent) : QLabel(parent), link_(std::make_unique<Link>(*this)) {
    // Plain text and no buddy: an "&" in an answer is a character, not a mnemonic.
    setTextFormat(Qt::PlainText);
    setWordWrap(false);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setContentsMargins(0, 0, 0, 0);
    setMargin(0);
    setIndent(0);
    adjustSize();
}

TDBText::~TDBText() {
    link_->SetDataSource(nullptr);
}

void TDBText::SetDataSource(TDataSource* source) {
    link_->SetDataSource(source);
    field_ = nullptr;
    if (link_->Active()) TakeField();
    RefreshText();
}

TDataSource* TDBText::DataSource() const {
    return link_->DataSource();
}

void TDBText::SetDataField(std::string name) {
    dataField_ = std::move(name);
    field_ = nullptr;
    if (link_->Active()) TakeField();
    RefreshText();
}

void TDBText::TakeField() {
    field_ = nullptr;
    TDataSet* table = link_->DataSet();
    if (!table || dataField_.empty()) return;
    field_ = table->FindField(dataField_);
    if (!field_) {
        ShowText(QString());
        RaiseDatabaseErrorFor(objectName().toStdString(), "Field '" + dataField_ + "' not found");
    }
}

void TDBText::DataEvent(TNotifyKind kind, TField* field, bool open) {
    switch (kind) {
    case nkStateChange:
        if (link_->Active()) {
            TakeField();
            RefreshText();
        } else {
            field_ = nullptr;
            ShowText(QString());
        }
        break;
    case nkSuspendedStateChange:
        // The text stays as it is until the notifications resume and refresh it.
        if (!open)
            field_ = nullptr;
        else if (link_->Active())
            TakeField();
        break;
    case nkLayoutChange: {
        TField* before = field_;
        TakeField();
        if (field_ != before) RefreshText();
        break;
    }
    case nkFieldListChange:
        // The field objects may have been replaced; never keep one across that.
        TakeField();
        RefreshText();
        break;
    case nkTableChange:
    case nkScroll:
    case nkRecordChange:
        RefreshText();
        break;
    case nkFieldChange:
        if (field == field_) RefreshText();
        break;
    case nkCheckBrowseMode:
    case nkUpdateRecord:
        break;
    }
}

void TDBText::RefreshText() {
    TDataSet* table = link_->DataSet();
    if (!field_ || !table || !table->Active()) {
        ShowText(QString());
        return;
    }
    ShowText(QString::fromStdString(field_->StringValue()));
}

void TDBText::ShowText(const QString& text) {
    if (text == this->text()) return;
    setText(text);
    adjustSize();
}
