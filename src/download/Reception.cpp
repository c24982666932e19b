// Serial reception: Receive/Stop, the port's events and the waiting count.
#include "app/KCR1.h"

void KCR1::cmdReceive_Click() {}
void KCR1::MSComm1_OnComm(int kind) { (void)kind; }
void KCR1::MSComm1_LineLost(const QString& reason) { (void)reason; }
void KCR1::Timer1_Timer() {}
void KCR1::showProblem(const QString& text) { (void)text; }
void KCR1::endReceptionWithProblem(const QString& text) { (void)text; }
