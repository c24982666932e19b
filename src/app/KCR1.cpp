// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/KCR1.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDockWidget>
#include <QFile>
#include <QFileInfo>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "app/ElidedLabel.h"
#include "app/IncomingView.h"
#include "app/Logos.h"
#include "app/frmAbout.h"
#include "core/incoming.h"
#include "download/Download.h"
#include "platform/Screen.h"
#include "send/Sender.h"
#include "settings/Comset.h"
#include "settings/Remembered.h"

namespace {

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    return label;
}

// `caption` marks its Alt key with '&'; a screen reader reads it without.
QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption,
                        const QString& tip = {}) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setAccessibleName(QString(caption).remove(u'&'));
    if (!tip.isEmpty()) button->setToolTip(tip);
    button->setAutoDefault(false);
    return button;
}

void setColour(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}

}  // namespace

KCR1::KCR1(quorvel::Module1& module, platform::Services services, QWidget* parent)
    : QMainWindow(parent),
      m_module(module),
      m_services(std::move(services)),
      m_prompts(m_services.dialogs),
      m_convert(m_prompts),
      m_send(m_prompts) {
    setObjectName(QStringLiteral("KCR1"));
    setWindowTitle(QStringLiteral("Quorvel"));
    setWindowIcon(QIcon(logos::draw(logos::Kind::Station, 64)));
    m_download = new Download(m_services.port, m_prompts, m_services.homeFolder, this);
    m_sender = new Sender(m_services.port, this);
    buildLayout();
    buildIncomingDock();
    connectDownload();
    connectSender();

    connect(CmdCon, &QPushButton::clicked, this, &KCR1::CmdCon_Click);
    connect(cmdViewPoints, &QPushButton::clicked, this, &KCR1::cmdViewPoints_Click);
    connect(cmdSend, &QPushButton::clicked, this, &KCR1::cmdSend_Click);
    connect(cmdReceive, &QPushButton::clicked, this, &KCR1::cmdReceive_Click);
    connect(CmdBrowse1, &QPushButton::clicked, this, &KCR1::CmdBrowse1_Click);
    connect(CmdClear, &QPushButton::clicked, this, &KCR1::CmdClear_Click);
    connect(cmdEdit, &QPushButton::clicked, this, &KCR1::cmdEdit_Click);
    connect(cmdSettings, &QPushButton::clicked, this, &KCR1::cmdSettings_Click);
    connect(Command1, &QPushButton::clicked, this, &KCR1::Command1_Click);
    connect(CmdExit, &QPushButton::clicked, this, &KCR1::CmdExit_Click);
    connect(&m_services.port, &platform::SerialPort::commEvent, this, &KCR1::MSComm1_OnComm);
    connect(&m_services.port, &platform::SerialPort::lineLost, this, &KCR1::MSComm1_LineLost);
    EdObs->installEventFilter(this);

    Form_Load();
}

KCR1::~KCR1() {
    // Closing the window hides the view with it: that is no choice of the user's.
    disconnect(m_incomingDock->toggleViewAction(), nullptr, this, nullptr);
    closeEverything();
}

void KCR1::buildLayout() {
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("centralWidget"));
    setCentralWidget(central);

    Label10 = makeLabel(central, "Label10", QStringLiteral("Quorvel"));
    Label10->setFont(QFont(QStringLiteral("Arial"), 24, QFont::Bold));
    setColour(Label10, Qt::blue);
    Label10->setAlignment(Qt::AlignCenter);

    Label2 =
        makeLabel(central, "Label2",
                  QStringLiteral("Download and Format Data from 3300/3600(DR) Total Stations"));
    Label2->setAlignment(Qt::AlignCenter);

    Label = makeLabel(central, "Label",
                      QStringLiteral("Under evaluation! May have problems! Check all results!"));
    QFont warning(QStringLiteral("Tahoma"));
    warning.setPointSizeF(8.25);
    warning.setBold(true);
    warning.setItalic(true);
    Label->setFont(warning);
    setColour(Label, Qt::red);
    Label->setAlignment(Qt::AlignCenter);

    Image1 = logos::picture(central, "Image1", logos::Kind::Station, 64);
    Image2 = logos::picture(central, "Image2", logos::Kind::Grid, 64);
    Image3 = logos::picture(central, "Image3", logos::Kind::Marker, 64);

    auto* titles = new QVBoxLayout;
    titles->addWidget(Label10);
    titles->addWidget(Label2);
    titles->addWidget(Label);
    auto* header = new QHBoxLayout;
    header->addWidget(Image1);
    header->addLayout(titles, 1);
    header->addWidget(Image2);

    Frame1 = new QGroupBox(QStringLiteral("Input  "), central);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Label1 = makeLabel(Frame1, "Label1", QStringLiteral("Observation File: "));
    EdObs = new QLineEdit(Frame1);
    EdObs->setObjectName(QStringLiteral("EdObs"));
    EdObs->setToolTip(QStringLiteral("Main file containing the raw data"));
    Label1->setBuddy(EdObs);
    CmdBrowse1 = makeButton(Frame1, "CmdBrowse1", QStringLiteral("&Browse"));
    cmdReceive = makeButton(Frame1, "cmdReceive", QStringLiteral("&Receive"));
    auto* input = new QHBoxLayout(Frame1);
    input->addWidget(Label1);
    input->addWidget(EdObs, 1);
    input->addWidget(CmdBrowse1);
    input->addWidget(cmdReceive);

    Frame2 = new QGroupBox(QStringLiteral("Output File"), central);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    Label3 = makeLabel(Frame2, "Label3", QStringLiteral("Output Filename: "));
    EdOut = new QLineEdit(Frame2);
    EdOut->setObjectName(QStringLiteral("EdOut"));
    Label3->setBuddy(EdOut);
    auto* output = new QHBoxLayout(Frame2);
    output->addWidget(Label3);
    output->addWidget(EdOut, 1);
    // Room for a job's full path.
    const int pathWidth = QFontMetrics(EdObs->font()).averageCharWidth() * 48;
    EdObs->setMinimumWidth(pathWidth);
    EdOut->setMinimumWidth(pathWidth);
    // Both captions take the same width so that the two fields line up.
    const int captionWidth = qMax(Label1->sizeHint().width(), Label3->sizeHint().width());
    Label1->setMinimumWidth(captionWidth);
    Label3->setMinimumWidth(captionWidth);

    CmdCon = makeButton(central, "CmdCon", QStringLiteral("&Convert"),
                        QStringLiteral("Start to create the file"));
    cmdViewPoints = makeButton(central, "cmdViewPoints", QStringLiteral("&View Points"),
                               QStringLiteral("Look at the points of the observation file"));
    cmdSend = makeButton(central, "cmdSend", QStringLiteral("Se&nd Points"),
                         QStringLiteral("Send the points of the observation file to the "
                                        "instrument"));
    CmdClear = makeButton(central, "CmdClear", QStringLiteral("C&lear"),
                          QStringLiteral("Click to clear the fields"));
    cmdEdit = makeButton(central, "cmdEdit", QStringLiteral("&Edit File"));
    cmdSettings = makeButton(central, "cmdSettings", QStringLiteral("&Settings"));
    Command1 = makeButton(central, "Command1", QStringLiteral("&About"));
    CmdExit = makeButton(central, "CmdExit", QStringLiteral("E&xit"),
                         QStringLiteral("Terminate Program?"));
    auto* commands = new QHBoxLayout;
    for (QPushButton* b :
         {CmdCon, cmdViewPoints, cmdSend, CmdClear, cmdEdit, cmdSettings, Command1, CmdExit})
        commands->addWidget(b);
    // The desktop's usual keys beside the Alt keys: Ctrl+O opens, F1 tells about the program.
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_O), this), &QShortcut::activated,
            CmdBrowse1, &QPushButton::click);
    connect(new QShortcut(QKeySequence(Qt::Key_F1), this), &QShortcut::activated, Command1,
            &QPushButton::click);

    lblTime = makeLabel(central, "lblTime", QStringLiteral("0"));
    lblTime->setFont(QFont(QStringLiteral("Arial"), 36, QFont::Bold));
    lblTime->setAlignment(Qt::AlignCenter);
    lblTime->setMinimumWidth(
        QFontMetrics(lblTime->font()).horizontalAdvance(QStringLiteral("000")));
    lblTime->setAccessibleDescription(QStringLiteral("Seconds waited for the instrument"));
    lblStat = makeLabel(central, "lblStat", QString());
    lblStat->setMinimumWidth(60);
    PB1 = new QProgressBar(central);
    PB1->setObjectName(QStringLiteral("PB1"));
    PB1->setMinimum(0);
    PB1->setValue(0);
    // Keep its room when hidden so the window does not jump during a download.
    QSizePolicy keep = PB1->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    PB1->setSizePolicy(keep);
    PB1->setVisible(false);
    auto* progress = new QHBoxLayout;
    progress->addWidget(Image3);
    progress->addWidget(lblTime);
    progress->addWidget(lblStat);
    progress->addWidget(PB1, 1);

    auto* page = new QVBoxLayout(central);
    page->addLayout(header);
    page->addWidget(Frame1);
    page->addWidget(Frame2);
    page->addLayout(commands);
    page->addLayout(progress);

    SB1 = new QStatusBar(this);
    SB1->setObjectName(QStringLiteral("SB1"));
    SB1->setSizeGripEnabled(false);
    // A panel shows what fits and never widens the window: a long path or the counts
    // of a download are elided in the middle, whole in the tooltip.
    m_panel1 = new ElidedLabel(SB1, 30);
    m_panel1->setObjectName(QStringLiteral("Panel1"));
    m_panel2 = new ElidedLabel(SB1, 30);
    m_panel2->setObjectName(QStringLiteral("Panel2"));
    m_panel1->setFrameShape(QFrame::StyledPanel);
    m_panel2->setFrameShape(QFrame::StyledPanel);
    // The download's counts, shown from a reception's start on.
    m_panel3 = new ElidedLabel(SB1, 70);
    m_panel3->setObjectName(QStringLiteral("Panel3"));
    m_panel3->setFrameShape(QFrame::StyledPanel);
    m_panel3->hide();
    SB1->addWidget(m_panel1, 1);
    SB1->addPermanentWidget(m_panel3);
    SB1->addPermanentWidget(m_panel2);
    m_panel2->setMinimumWidth(180);
    setStatusBar(SB1);

    setTabOrder(EdObs, CmdBrowse1);
    setTabOrder(CmdBrowse1, cmdReceive);
    setTabOrder(cmdReceive, EdOut);
    setTabOrder(EdOut, CmdCon);
}

void KCR1::buildIncomingDock() {
    m_incoming = new IncomingView(this);
    m_incomingDock = new QDockWidget(QStringLiteral("Incoming data"), this);
    m_incomingDock->setObjectName(QStringLiteral("IncomingDock"));
    m_incomingDock->setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable |
                                QDockWidget::DockWidgetFloatable);
    m_incomingDock->setWidget(m_incoming);
    addDockWidget(Qt::BottomDockWidgetArea, m_incomingDock);
    // Shown or hidden as the user left it last time.
    const QString key = QStringLiteral("incomingView");
    m_incomingDock->setVisible(m_services.preferences->value(key) != QLatin1String("hidden"));
    QAction* toggle = m_incomingDock->toggleViewAction();
    toggle->setToolTip(QStringLiteral("Show or hide the data as it arrives"));
    connect(toggle, &QAction::toggled, this, [this, key](bool on) {
        m_services.preferences->setValue(key,
                                         on ? QStringLiteral("shown") : QStringLiteral("hidden"));
    });
    auto* button = new QToolButton(SB1);
    button->setObjectName(QStringLiteral("cmdIncoming"));
    button->setDefaultAction(toggle);
    button->setAutoRaise(true);
    SB1->addPermanentWidget(button);
}

void KCR1::connectDownload() {
    Download* d = m_download;
    // Alt+R receives and stops alike, though "Stop" has no R to underline.
    connect(d, &Download::stateChanged, this, [this](Download::State state) {
        const QString caption =
            state == Download::State::Idle ? QStringLiteral("Receive") : QStringLiteral("Stop");
        cmdReceive->setText(state == Download::State::Idle ? QStringLiteral("&Receive") : caption);
        cmdReceive->setAccessibleName(caption);
        cmdReceive->setShortcut(QKeySequence(Qt::ALT | Qt::Key_R));
    });
    connect(d, &Download::activityChanged, this, [this](Download::Activity activity) {
        using A = Download::Activity;
        switch (activity) {
            case A::Ready:
                return setPanel(1, QStringLiteral("Ready"));
            case A::Waiting:
                return setPanel(
                    1, m_keptNote.isEmpty() ? QStringLiteral("Waiting for ...") : m_keptNote);
            case A::Receiving:
                return setPanel(1, QStringLiteral("Receiving... "));
            case A::StartOfText:
                return setPanel(1, QStringLiteral("Start receieve ..."));
            case A::Converting:
                return setPanel(1, QStringLiteral("Converting ..."));
            case A::CutOff:
                return setPanel(
                    1, QStringLiteral("The transfer was cut off: the last line is incomplete"));
        }
    });
    connect(d, &Download::stageChanged, this, [this](Download::Stage stage) {
        static const QString words[] = {QString(), QStringLiteral("Ready"), QStringLiteral("Start"),
                                        QStringLiteral("end")};
        lblStat->setText(words[int(stage)]);
    });
    connect(d, &Download::waited, this, [this](int seconds) {
        lblTime->setText(QString::number(seconds));
        if (seconds == 0) return;
        const QString waiting = QStringLiteral("Waiting for ... ( %1)").arg(seconds);
        setPanel(
            1, m_keptNote.isEmpty() ? waiting : waiting + QStringLiteral(" \u00b7 ") + m_keptNote);
    });
    connect(d, &Download::captureKept, this, &KCR1::setObservationName);
    // The field that named the kept transfer names it where it went.
    connect(d, &Download::transferKept, this, [this](const QString& capture, const QString& kept) {
        if (QDir::cleanPath(EdObs->text()) == QDir::cleanPath(capture)) setObservationName(kept);
    });
    connect(d, &Download::endOfText, this, &KCR1::readdump);
    connect(d, &Download::started, this, [this](const QString& keptAs) {
        m_keptNote = keptAs.isEmpty() ? QString()
                                      : QStringLiteral("The earlier transfer was kept as %1")
                                            .arg(QFileInfo(keptAs).fileName());
        m_garbled.clear();
        m_panel3->setStyleSheet(QString());
        m_panel3->setNote(QString());
        m_panel3->show();
        m_incoming->clear();
    });
    connect(d, &Download::dataArrived, m_incoming, &IncomingView::append);
    connect(d, &Download::progressChanged, this, &KCR1::showProgress);
    connect(d, &Download::garbled, this, [this](const quorvel::LineSettings& line) {
        m_garbled = QString::fromStdString(quorvel::garbledWarning(line));
        m_incoming->showWarning(m_garbled);
        m_panel3->setStyleSheet(QStringLiteral("QLabel { color: #b00020; }"));
        m_panel3->setNote(m_garbled);
        showProgress(m_download->progressText());
    });
    connect(d, &Download::problem, this, [this](const QString& text) { m_prompts.problem(text); });

    // The raw data file.
    RawDataStep* raw = &d->rawData();
    connect(raw, &RawDataStep::named, this, &KCR1::setObservationName);
    connect(raw, &RawDataStep::progressed, this, [this](int value, int maximum) {
        PB1->setMaximum(maximum);
        PB1->setValue(value);
        PB1->repaint();  // the bar moves while the copy runs
    });
    connect(raw, &RawDataStep::progressShown, PB1, &QProgressBar::setVisible);
    connect(raw, &RawDataStep::written, this, [this](const RawDataStep::Written& w) {
        setPanel(3, QStringLiteral("Job %1 \u00b7 %2 %3")
                        .arg(w.job, QString::fromStdString(quorvel::groupedNumber(w.lines)),
                             w.lines == 1 ? QStringLiteral("line") : QStringLiteral("lines")));
        // The one file holds every job of the transfer, named after the first (as stored
        // files expect): the user is told of the others.
        QStringList names = w.jobNames;
        if (w.jobs > static_cast<std::uint64_t>(names.size())) names << QStringLiteral("...");
        setPanel(1, w.jobs <= 1
                        ? QStringLiteral("Ready")
                        : QStringLiteral("The transfer held %1 jobs (%2): all are in %3")
                              .arg(QString::number(w.jobs), names.join(QStringLiteral(", ")),
                                   QFileInfo(w.rawPath).fileName()));
    });
    connect(raw, &RawDataStep::ended, this, [this] { setPanel(1, QStringLiteral("Ready")); });
    connect(raw, &RawDataStep::problem, this,
            [this](const QString& text) { m_prompts.problem(text); });
}

void KCR1::connectSender() {
    // A download and a sending share the port: one at a time.
    connect(m_download, &Download::stateChanged, this,
            [this](Download::State state) { cmdSend->setEnabled(state == Download::State::Idle); });
    connect(m_sender, &Sender::stateChanged, this, [this](Sender::State state) {
        const bool sending = state == Sender::State::Sending;
        cmdReceive->setEnabled(!sending);
        // The counts of the last download say nothing of this: the room goes to the progress.
        if (sending) m_panel3->hide();
        cmdSend->setText(sending ? QStringLiteral("Stop") : QStringLiteral("Se&nd Points"));
        cmdSend->setAccessibleName(sending ? QStringLiteral("Stop")
                                           : QStringLiteral("Send Points"));
        cmdSend->setShortcut(QKeySequence(Qt::ALT | Qt::Key_N));
    });
    connect(m_sender, &Sender::progressChanged, this, [this](const QString& text) {
        if (m_sender->state() == Sender::State::Sending) setPanel(1, text);
    });
    connect(
        m_sender, &Sender::finished, this, [this](Sender::Ending ending, const QString& reason) {
            const QString count = QStringLiteral("%1 of %2 points were sent in full")
                                      .arg(m_sender->sent())
                                      .arg(m_sender->total());
            switch (ending) {
                case Sender::Ending::Sent:
                    return setPanel(
                        1,
                        QStringLiteral("Sent %1 points to the instrument").arg(m_sender->total()));
                case Sender::Ending::Stopped:
                    return setPanel(1, QStringLiteral("Stopped: ") + count);
                case Sender::Ending::Lost:
                    setPanel(1, QStringLiteral("Stopped: ") + count);
                    m_prompts.problem(
                        QStringLiteral("The connection to the total station was lost!\r%1\r%2.")
                            .arg(reason, count));
                    return;
            }
        });
}

void KCR1::showProgress(const QString& counts) {
    m_panel3->setText(m_garbled.isEmpty() ? counts
                                          : QStringLiteral("Data looks garbled \u00b7 ") + counts);
}

void KCR1::setPanel(int index, const QString& text) {
    (index == 1 ? m_panel1 : index == 2 ? m_panel2 : m_panel3)->setText(text);
}

void KCR1::cmdReceive_Click() {
    if (m_sender->state() == Sender::State::Sending) return;  // one use of the port at a time
    m_download->click(m_module.RunSettings);
}

void KCR1::MSComm1_OnComm(int kind) {
    // While points go out, what the instrument says is none of the download's.
    if (m_sender->state() == Sender::State::Sending) {
        m_services.port.input();
        return;
    }
    m_download->portEvent(kind);
}

void KCR1::MSComm1_LineLost(const QString& reason) {
    if (m_sender->state() == Sender::State::Sending)
        m_sender->lineLost(reason);
    else
        m_download->lineLost(reason);
}

void KCR1::Timer1_Timer() {
    m_download->tick();
}

void KCR1::readdump() {
    m_download->readdump();
}

void KCR1::Form_Load() {
    setPanel(1, QStringLiteral("Ready"));
    setPanel(2, QStringLiteral("COM1 38400 8 1 N"));
    quorvel::RunSettings& rs = m_module.RunSettings;
    rs = {};
    // Drive C: is the user's home folder here.
    rs.DefaultPath = QFile::encodeName(m_services.homeFolder).toStdString();
    // The one choice kept from the last run.
    rs.AxisOrder = remembered::loadAxes(*m_services.preferences);
    m_pointsAfterConvert =
        m_services.preferences->value(QStringLiteral("pointsAfterConvert")) == QLatin1String("on");
    m_download->stopTimer();
    // The settings of the last run, when the user asked to keep them.
    if (const auto kept = remembered::load(*m_services.preferences, rs, m_services.homeFolder)) {
        setPanel(2, QString::fromStdString(quorvel::statusText(rs.Line)));
        if (!kept->missingFolder.isEmpty())
            setPanel(1, QStringLiteral("The download folder %1 is gone: downloads go to %2")
                            .arg(kept->missingFolder,
                                 QFile::decodeName(QByteArray::fromStdString(rs.DefaultPath))));
    }
}

QSize KCR1::sizeHint() const {
    // The activity, the counts of a download and the serial settings side by side.
    const QSize content = QMainWindow::sizeHint();
    return {std::max(content.width(), fontMetrics().averageCharWidth() * 125), content.height()};
}

void KCR1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    platform::fitOnScreen(this);
}

void KCR1::closeEverything() {
    m_sender->stop();
    m_download->closeEverything();
}

bool KCR1::eventFilter(QObject* watched, QEvent* event) {
    // Leaving the field for another control counts; the window losing the focus to
    // another window or a pop-up does not, as the field is still the current one.
    if (watched == EdObs && event->type() == QEvent::FocusOut) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            EdObs_LostFocus();
    }
    return QMainWindow::eventFilter(watched, event);
}
