// SPDX-License-Identifier: GPL-3.0-or-later
#include "points/frmPoints.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "core/fileio.h"
#include "platform/Prompts.h"
#include "platform/Screen.h"
#include "points/PlanView.h"
#include "points/PointTable.h"

namespace {

using W = quorvel::PointWarning;
constexpr std::uint8_t kAllWarnings = 0x0F;
const QSize kExportSize(1600, 1200);

QString filterName(W w) {
    switch (w) {
        case W::Duplicate:
            return QStringLiteral("Numbers at two positions");
        case W::AtOrigin:
            return QStringLiteral("Points at 0/0");
        case W::Far:
            return QStringLiteral("Points far from the rest");
        case W::NotWritten:
            return QStringLiteral("Lines not written");
        case W::Nothing:
            break;
    }
    return {};
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption,
                        const QString& tip) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setToolTip(tip);
    b->setAccessibleName(QString(caption).remove(QLatin1Char('&')));
    return b;
}

}  // namespace

frmPoints::frmPoints(platform::Dialogs& dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window), m_dialogs(dialogs) {
    setObjectName(QStringLiteral("frmPoints"));
    setWindowTitle(QStringLiteral("Points"));
    buildLayout();
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this,
            &QWidget::close);
}

void frmPoints::buildLayout() {
    lblWarnings = new QLabel(this);
    lblWarnings->setObjectName(QStringLiteral("lblWarnings"));
    lblWarnings->setTextFormat(Qt::RichText);
    lblWarnings->setWordWrap(true);
    lblWarnings->setTextInteractionFlags(Qt::LinksAccessibleByMouse |
                                         Qt::LinksAccessibleByKeyboard);
    connect(lblWarnings, &QLabel::linkActivated, this, &frmPoints::lblWarnings_LinkActivated);

    lblFilter = new QLabel(QStringLiteral("S&how:"), this);
    lblFilter->setObjectName(QStringLiteral("lblFilter"));
    cbFilter = new QComboBox(this);
    cbFilter->setObjectName(QStringLiteral("cbFilter"));
    cbFilter->setAccessibleName(QStringLiteral("Show"));
    lblFilter->setBuddy(cbFilter);
    connect(cbFilter, &QComboBox::currentIndexChanged, this, &frmPoints::cbFilter_Click);
    cmdCopy =
        makeButton(this, "cmdCopy", QStringLiteral("&Copy"),
                   QStringLiteral("Copy the selected lines, or all shown, as tab-separated text"));
    cmdFit = makeButton(this, "cmdFit", QStringLiteral("&Fit"),
                        QStringLiteral("Show all points in the plan"));
    cmdExport = makeButton(this, "cmdExport", QStringLiteral("E&xport Plan"),
                           QStringLiteral("Save the plan as a PNG image or an SVG drawing"));
    // The whole job for the file, or the part in view for a report on one corner of it.
    auto* exports = new QMenu(cmdExport);
    actExportJob = exports->addAction(QStringLiteral("The &Whole Job..."));
    actExportJob->setObjectName(QStringLiteral("actExportJob"));
    actExportView = exports->addAction(QStringLiteral("The &Current View..."));
    actExportView->setObjectName(QStringLiteral("actExportView"));
    cmdExport->setMenu(exports);
    connect(actExportJob, &QAction::triggered, this, [this] { exportPlan(false); });
    connect(actExportView, &QAction::triggered, this, [this] { exportPlan(true); });
    chkShowAfter = new QCheckBox(QStringLiteral("Show the points &after converting"), this);
    chkShowAfter->setObjectName(QStringLiteral("chkShowAfter"));
    connect(cmdCopy, &QPushButton::clicked, this, &frmPoints::cmdCopy_Click);
    connect(cmdFit, &QPushButton::clicked, this, &frmPoints::cmdFit_Click);
    connect(chkShowAfter, &QCheckBox::toggled, this, &frmPoints::showAfterConvertChanged);

    m_model = new PointTableModel(this);
    m_filter = new PointFilter(m_model, this);
    tblPoints = new QTableView(this);
    tblPoints->setObjectName(QStringLiteral("tblPoints"));
    tblPoints->setAccessibleName(QStringLiteral("Coordinate lines"));
    tblPoints->setModel(m_filter);
    tblPoints->setSortingEnabled(true);
    tblPoints->sortByColumn(PointTableModel::Line, Qt::AscendingOrder);
    tblPoints->setSelectionBehavior(QAbstractItemView::SelectRows);
    tblPoints->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblPoints->verticalHeader()->hide();
    tblPoints->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    tblPoints->verticalHeader()->setDefaultSectionSize(tblPoints->fontMetrics().height() + 6);
    tblPoints->horizontalHeader()->setStretchLastSection(true);
    connect(new QShortcut(QKeySequence::Copy, tblPoints, nullptr, nullptr, Qt::WidgetShortcut),
            &QShortcut::activated, this, &frmPoints::cmdCopy_Click);
    connect(tblPoints->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (m_syncing || !current.isValid()) return;
                m_syncing = true;
                picPlan->setSelectedRow(m_filter->mapToSource(current).row());
                m_syncing = false;
            });

    picPlan = new PlanView(this);
    picPlan->setObjectName(QStringLiteral("picPlan"));
    picPlan->setAccessibleName(QStringLiteral("Plan of the points"));
    connect(picPlan, &PlanView::rowPicked, this, &frmPoints::selectRow);

    m_split = new QSplitter(Qt::Horizontal, this);
    m_split->addWidget(tblPoints);
    m_split->addWidget(picPlan);
    m_split->setStretchFactor(0, 1);
    m_split->setStretchFactor(1, 1);
    m_split->setSizes({540, 560});

    auto* tools = new QHBoxLayout;
    tools->addWidget(lblFilter);
    tools->addWidget(cbFilter);
    tools->addWidget(cmdCopy);
    tools->addStretch(1);
    tools->addWidget(chkShowAfter);
    tools->addWidget(cmdFit);
    tools->addWidget(cmdExport);
    auto* page = new QVBoxLayout(this);
    page->addWidget(lblWarnings);
    page->addLayout(tools);
    page->addWidget(m_split, 1);
    // Room for the table and the plan, as much of it as the screen has.
    resize(1100, 640);
}

void frmPoints::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    platform::fitOnScreen(this);
}

void frmPoints::showPoints(const QString& observation, quorvel::PointList list,
                           quorvel::Axes axes) {
    picPlan->setPlan(nullptr);
    m_model->setPoints(nullptr);
    m_observation = observation;
    m_list = std::move(list);
    m_plan = plan::Plan::from(m_list, axes);
    m_model->setPoints(&m_list);
    picPlan->setPlan(&m_plan);
    tblPoints->resizeColumnsToContents();
    setWindowTitle(QStringLiteral("Points - ") + QFileInfo(observation).fileName());
    showWarnings();
    show();
    raise();
    activateWindow();
}

void frmPoints::setShowAfterConvert(bool on) {
    const QSignalBlocker quiet(chkShowAfter);
    chkShowAfter->setChecked(on);
}

void frmPoints::showWarnings() {
    const QSignalBlocker quiet(cbFilter);
    cbFilter->clear();
    cbFilter->addItem(QStringLiteral("All lines"), 0);
    cbFilter->addItem(QStringLiteral("Problems only"), kAllWarnings);
    QString html;
    for (const quorvel::WarningSummary& w : m_list.warnings) {
        const QString text = QString::fromUtf8(w.text).toHtmlEscaped();
        if (w.kind == W::Nothing) {
            html += text + QLatin1Char('.');
            continue;
        }
        const int bit = static_cast<int>(w.kind);
        cbFilter->addItem(filterName(w.kind), bit);
        if (!html.isEmpty()) html += QStringLiteral("<br>");
        html += QStringLiteral("&#9888; %1 &nbsp;<a href=\"%2\">show</a>").arg(text).arg(bit);
    }
    if (html.isEmpty()) html = QStringLiteral("No warnings.");
    lblWarnings->setText(html);
    // A file without coordinate lines says so instead of showing an empty table.
    m_split->setVisible(!m_list.empty());
    for (QWidget* w : std::initializer_list<QWidget*>{cbFilter, cmdCopy, cmdFit, cmdExport})
        w->setEnabled(!m_list.empty());
    m_filter->setWarningMask(0);
}

void frmPoints::cbFilter_Click(int index) {
    m_filter->setWarningMask(static_cast<std::uint8_t>(cbFilter->itemData(index).toInt()));
    // The selected line stays in sight when the filter keeps it; the user's filter stays.
    const QModelIndex selected = m_filter->mapFromSource(m_model->index(picPlan->selectedRow(), 0));
    if (selected.isValid()) tblPoints->scrollTo(selected);
}

void frmPoints::lblWarnings_LinkActivated(const QString& link) {
    const int i = cbFilter->findData(link.toInt());
    if (i >= 0) cbFilter->setCurrentIndex(i);
}

void frmPoints::selectRow(int row) {
    if (m_syncing) return;
    m_syncing = true;
    QModelIndex index = m_filter->mapFromSource(m_model->index(row, 0));
    if (!index.isValid()) {  // hidden by the filter: show every line again
        cbFilter->setCurrentIndex(0);
        index = m_filter->mapFromSource(m_model->index(row, 0));
    }
    tblPoints->selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    tblPoints->scrollTo(index);
    picPlan->setSelectedRow(row);
    m_syncing = false;
}

void frmPoints::cmdCopy_Click() {
    QList<int> rows;
    for (const QModelIndex& i : tblPoints->selectionModel()->selectedRows()) rows << i.row();
    if (rows.isEmpty())
        for (int r = 0; r < m_filter->rowCount(); ++r) rows << r;
    std::sort(rows.begin(), rows.end());
    QStringList lines;
    QStringList cells;
    for (int c = 0; c < PointTableModel::ColumnCount; ++c)
        cells << m_model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
    lines << cells.join(QLatin1Char('\t'));
    for (int r : rows) {
        cells.clear();
        // Without the blanks that pad the file's columns: a spreadsheet takes them as
        // part of the text, and a missing Z is an empty cell.
        for (int c = 0; c < PointTableModel::ColumnCount; ++c)
            cells << m_filter->index(r, c).data().toString().trimmed();
        lines << cells.join(QLatin1Char('\t'));
    }
    QApplication::clipboard()->setText(lines.join(QLatin1Char('\n')) + QLatin1Char('\n'));
}

void frmPoints::cmdFit_Click() {
    picPlan->fit();
}

void frmPoints::exportPlan(bool currentView) {
    platform::Prompts prompts(m_dialogs);
    const QFileInfo obs(m_observation);
    const QString name = obs.completeBaseName() +
                         (currentView ? QStringLiteral("-view.png") : QStringLiteral("-plan.png"));
    const auto chosen =
        m_dialogs.showSave(QStringLiteral("PNG image (*.png)|*.png|SVG drawing (*.svg)|*.svg"),
                           currentView ? QStringLiteral("Export the Current View")
                                       : QStringLiteral("Export the Whole Job"),
                           obs.dir().filePath(name));
    if (!chosen) return;
    QString path = *chosen;
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix != QLatin1String("png") && suffix != QLatin1String("svg"))
        path += QStringLiteral(".png");
    const std::string observation = QFile::encodeName(m_observation).toStdString();
    const quorvel::OutputTarget target =
        quorvel::outputTarget(QFile::encodeName(path).toStdString(), {observation});
    // An image in its place would be the end of the observations.
    if (target.source && quorvel::regularFileExists(observation)) {
        prompts.problem(QStringLiteral("The Plan would replace the Observation File itself!") +
                        QLatin1Char('\r') + QStringLiteral("Please choose another file."));
        return;
    }
    if (target.taken && !prompts.yes(QStringLiteral("File Exists! Do you want to replace? "),
                                     platform::Answer::Yes))
        return;
    // The view keeps its shape: its longer side takes the export's longer side.
    QSize size = kExportSize;
    QRectF region;
    if (currentView) {
        const QSizeF seen = picPlan->viewport()->size();
        size = (seen * (std::max(kExportSize.width(), kExportSize.height()) /
                        std::max({seen.width(), seen.height(), 1.0})))
                   .toSize()
                   .expandedTo(QSize(1, 1));
        region = picPlan->visibleRegion();
    }
    QString error;
    const bool svg = path.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive);
    const bool ok = svg ? plan::writeSvg(m_plan, path, size, &error, region)
                        : plan::writePng(m_plan, path, size, &error, region);
    if (!ok)
        prompts.problem(QStringLiteral("Could not write the Plan ") + path + QLatin1Char('\r') +
                        error);
}
