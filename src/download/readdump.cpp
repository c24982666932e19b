// The raw data file made from a reception's capture.
#include "app/KCR1.h"

void KCR1::readdump() {}
