#include "app/TDBText.h"

TDBText::TDBText(QWidget* parent) : QLabel(parent) {
  setTextFormat(Qt::PlainText);
  setWordWrap(false);
}
TDBText::~TDBText() = default;
void TDBText::SetDataSource(TDataSource* source) { dataSource_ = source; }
void TDBText::SetDataField(std::string name) { dataField_ = std::move(name); }
