#pragma once
#include <QWidget>

/// The about window: title, version, the maker's contact lines and O.K.
class frmAbout : public QWidget {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* parent = nullptr);
};
