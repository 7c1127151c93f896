// The window's folder scan and work list: getting the works, aborting a scan,
// and loading the current work's answer sheet when the list moves.
// Filled in by the scan and answer-sheet work; until then these handlers do nothing.
#include "app/T_main.h"

void T_main::FindAllOgg(const std::string& folder) { (void)folder; }

void T_main::Button1Click(QObject* Sender) { (void)Sender; }

void T_main::Button2Click(QObject* Sender) { (void)Sender; }

void T_main::tblWorkAfterScroll(TDataSet& DataSet) { (void)DataSet; }
