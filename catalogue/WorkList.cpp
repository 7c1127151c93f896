#include "catalogue/WorkList.h"

#include <cassert>
#include <memory>

#include "memtable/TStringField.h"
#include "memtable/TqvrMemTable.h"

namespace zenor {

namespace {

TStringField* AddField(TqvrMemTable& table, const char* name, int size) {
    table.FieldDefs().Add(name, ftString, size, false);
    auto field = std::make_unique<TStringField>(name, size);
    TStringField* raw = field.get();
    table.AddField(std::move(field));
    return raw;
}

} // namespace

WorkTableFields DefineWorkTable(TqvrMemTable& tblWork) {
    assert(!tblWork.Active() && tblWork.FieldCount() == 0 && tblWork.FieldDefs().Count() == 0);
    WorkTableFields fields;
    fields.id = AddField(tblWork, "ID", kWorkIdSize);
    fields.pathWork = AddField(tblWork, "pathWork", kWorkFolderSize);
    tblWork.SetSortFields("ID");
    return fields;
}

void ConfigureWorkTable(TqvrMemTable& tblWork) {
    DefineWorkTable(tblWork);
    tblWork.Open();
}

void RecordWork(TqvrMemTable& tblWork, std::string_view id, std::string_view folder) {
    if (tblWork.SeekKey("ID", TKeyValue(id), 0))
        tblWork.Edit();
    else
        tblWork.Insert();
    tblWork.FieldNamed("ID").SetStringValue(id);
    tblWork.FieldNamed("pathWork").SetStringValue(folder);
    tblWork.Post();
}

} // namespace zenor
