#include "catalogue/WorkList.h"

#include "memtable/TqvrMemTable.h"

namespace zenor {

void ConfigureWorkTable(TqvrMemTable& tblWork) {
    tblWork.DefineStringFields({{"ID", kWorkIdSize}, {"pathWork", kWorkFolderSize}});
    tblWork.SetSortFields("ID");
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
