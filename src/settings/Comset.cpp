#include "settings/Comset.h"

#include "app/KCR1.h"

Comset::Comset(Module1& module, KCR1& main) : QDialog(&main), m_module(module), m_main(main) {
    setObjectName(QStringLiteral("Comset"));
    setWindowTitle(QStringLiteral("Settings"));
}
