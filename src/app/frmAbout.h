// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QWidget>

class QLabel;
class QPushButton;

/// The about window: title, version, the maker's contact lines and O.K. It is
/// modeless and only ever hidden, never destroyed, until the program ends.
class frmAbout : public QWidget {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* parent = nullptr);

public slots:
    void Command1_Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QLabel* Image1 = nullptr;
    QLabel* Image2 = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblLicence = nullptr;
    QLabel* lblContact = nullptr;
    QPushButton* Command1 = nullptr;
};
