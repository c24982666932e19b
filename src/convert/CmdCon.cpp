// The Convert command.
#include "app/KCR1.h"

void KCR1::CmdCon_Click() {}
