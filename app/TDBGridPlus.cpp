#include "app/TDBGridPlus.h"

TDBGridPlus::TDBGridPlus(QWidget* parent) : QAbstractScrollArea(parent) {}
TDBGridPlus::~TDBGridPlus() = default;
void TDBGridPlus::SetDataSource(TDataSource* source) { dataSource_ = source; }
TDataSource* TDBGridPlus::DataSource() const { return dataSource_; }
