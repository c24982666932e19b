// The main window's small file commands: Browse, Clear, Edit File, Settings, About,
// Exit and the output name proposed when the observation field is left.
#include <QCloseEvent>

#include "app/KCR1.h"

void KCR1::CmdBrowse1_Click() {}
void KCR1::CmdClear_Click() {}
void KCR1::cmdEdit_Click() {}
void KCR1::cmdSettings_Click() {}
void KCR1::Command1_Click() {}
void KCR1::CmdExit_Click() {}
void KCR1::EdObs_LostFocus() {}
void KCR1::closeEvent(QCloseEvent* event) { QMainWindow::closeEvent(event); }
