// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The points window: every coordinate line of a file in a table, the plan beside
// it, and the warnings above. It only looks: nothing here changes what Convert writes.

#include <QWidget>

#include "core/points.h"
#include "plan/Plan.h"
#include "platform/Dialogs.h"

class QCheckBox;
class QComboBox;
class QAction;
class QLabel;
class QPushButton;
class QSplitter;
class QTableView;
class PlanView;
class PointFilter;
class PointTableModel;

class frmPoints : public QWidget {
    Q_OBJECT
public:
    frmPoints(platform::Dialogs& dialogs, QWidget* parent = nullptr);

    /// Shows the points of `observation` (its path), read as `list`, and brings the
    /// window to the front.
    void showPoints(const QString& observation, quorvel::PointList list, quorvel::Axes axes);
    void setShowAfterConvert(bool on);

signals:
    /// The user ticked or cleared "Show the points after converting".
    void showAfterConvertChanged(bool on);

public slots:
    void cmdCopy_Click();
    void cmdFit_Click();
    /// Export Plan: the whole job, or only what the plan shows now.
    void exportPlan(bool currentView);
    void cbFilter_Click(int index);
    void lblWarnings_LinkActivated(const QString& link);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildLayout();
    void showWarnings();
    void selectRow(int row);

    platform::Dialogs& m_dialogs;
    QString m_observation;
    quorvel::PointList m_list;
    plan::Plan m_plan;
    PointTableModel* m_model = nullptr;
    PointFilter* m_filter = nullptr;
    // A selection made in the table or the plan is passed to the other one only once.
    bool m_syncing = false;

    QLabel* lblWarnings = nullptr;
    QLabel* lblFilter = nullptr;
    QComboBox* cbFilter = nullptr;
    QPushButton* cmdCopy = nullptr;
    QPushButton* cmdFit = nullptr;
    QPushButton* cmdExport = nullptr;
    QAction* actExportJob = nullptr;
    QAction* actExportView = nullptr;
    QCheckBox* chkShowAfter = nullptr;
    QSplitter* m_split = nullptr;
    QTableView* tblPoints = nullptr;
    PlanView* picPlan = nullptr;
};
