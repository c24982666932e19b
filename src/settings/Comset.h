#pragma once
#include <QDialog>

#include "app/Module1.h"

class KCR1;

/// The settings window: serial line, output layout and default folder.
class Comset : public QDialog {
    Q_OBJECT
public:
    Comset(Module1& module, KCR1& main);

private:
    Module1& m_module;
    KCR1& m_main;
};
