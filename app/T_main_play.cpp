// The window's player for the oral answers: the listen buttons, pause and
// continue, stop, the one-second tick, and stopping when the work list moves.
// Filled in by the playback work; until then these handlers do nothing.
#include "app/T_main.h"

void T_main::PlayTask(const std::string& n) { (void)n; }

void T_main::Button3Click(QObject* Sender) { (void)Sender; }

void T_main::Button4Click(QObject* Sender) { (void)Sender; }

void T_main::Timer1Timer(QObject* Sender) { (void)Sender; }

void T_main::PausePlayClick(QObject* Sender) { (void)Sender; }

void T_main::btnStopClick(QObject* Sender) { (void)Sender; }

void T_main::tblWorkBeforeScroll(TDataSet& DataSet) { (void)DataSet; }
