// Serial reception: Receive/Stop, the port's events and the waiting count.
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "app/KCR1.h"

namespace {

const QString kReceive = QStringLiteral("Receive");
const QString kStop = QStringLiteral("Stop");
const QString kReady = QStringLiteral("Ready");
const QString kEnd = QStringLiteral("end");
constexpr char kStx = 2;
constexpr char kEtx = 3;
constexpr int kWaitSeconds = 20;

int portNumber(const QString& name) {
    for (int n = 1; n <= 4; ++n)
        if (name == QStringLiteral("COM%1").arg(n)) return n;
    return 0;
}

std::string localPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QString fileProblem(const QString& what, const quorvel::FileError& error) {
    return QStringLiteral("%1\r%2: %3")
        .arg(what, QFile::decodeName(QByteArray::fromStdString(error.path)),
             QString::fromStdString(error.reason()));
}

}  // namespace

void KCR1::cmdReceive_Click() {
    Timer1->start();
    m_module.RunSettings.DownloadIdle = false;
    if (m_services.port.isOpen() || cmdReceive->text() == kStop)
        stopReception();
    else
        startReception();
}

void KCR1::stopReception() {
    m_module.RunSettings.DownloadIdle = true;
    lblTime->setText(QStringLiteral("0"));
    m_services.port.close();
    cmdReceive->setText(kReceive);
    setPanel(1, kReady);
    // The file really written, even if the folder setting changed meanwhile.
    setObservationName(m_module.CaptureFilePath);
    closeEverything();
}

void KCR1::startReception() {
    RunSettingsRecord& rs = m_module.RunSettings;
    platform::SerialPort& port = m_services.port;
    cmdReceive->setText(kStop);
    if (const int n = portNumber(rs.PortName); n != 0) port.setCommPort(n);
    port.setSettings(QStringLiteral("%1,%2,%3,%4")
                         .arg(rs.BaudRate)
                         .arg(rs.Parity.trimmed())
                         .arg(rs.DataBits)
                         .arg(rs.StopBits));
    if (!port.open()) {
        endReceptionWithProblem(
            QStringLiteral("The serial port could not be opened!\r%1").arg(port.errorString()));
        return;
    }

    const QChar sep = platform::separator();
    if (rs.DefaultPath == QLatin1String(" ")) rs.DefaultPath = m_services.homeFolder + sep;
    if (!rs.DefaultPath.endsWith(sep)) rs.DefaultPath += sep;
    m_module.CaptureFilePath = rs.DefaultPath + QStringLiteral("$R55.tmp");

    auto capture = std::make_unique<quorvel::OutFile>();
    // A link put in the capture's place could lead to any file: never write through it.
    if (!capture->createNotThroughLink(localPath(m_module.CaptureFilePath))) {
        endReceptionWithProblem(fileProblem(
            QStringLiteral("The capture file could not be created!"), capture->error()));
        return;
    }
    m_captureFile = std::move(capture);
    setPanel(1, QStringLiteral("Waiting for ..."));
    lblStat->setText(kReady);
    // Every reception waits its full time, whatever the last one counted.
    lblTime->setText(QStringLiteral("0"));
}

void KCR1::MSComm1_OnComm(int kind) {
    Timer1->stop();
    m_module.RunSettings.DownloadIdle = true;
    if (lblStat->text() == kEnd) return;
    if (kind != platform::ComEvReceive) {
        ++m_module.LineCount;
        return;
    }
    const QByteArray chunk = m_services.port.input();
    if (!m_captureFile) return;  // no reception runs: nothing to keep it in
    setPanel(1, QStringLiteral("Receiving... "));
    // Straight to disk: whatever happens next, what arrived is kept.
    if (!m_captureFile->write(chunk.constData(), static_cast<std::size_t>(chunk.size())) ||
        !m_captureFile->flush()) {
        endReceptionWithProblem(fileProblem(
            QStringLiteral("The capture file could not be written!"), m_captureFile->error()));
        return;
    }
    for (const char c : chunk) {
        if (c == kStx) {
            lblStat->setText(QStringLiteral("Start"));
            setPanel(1, QStringLiteral("Start receieve ..."));
        } else if (c == kEtx) {
            endReception();
            return;
        }
    }
    ++m_module.LineCount;
}

void KCR1::endReception() {
    m_services.port.close();
    const bool written = m_captureFile ? m_captureFile->close() : true;
    const quorvel::FileError error = m_captureFile ? m_captureFile->error() : quorvel::FileError{};
    closeEverything();
    if (!written) {
        endReceptionWithProblem(
            fileProblem(QStringLiteral("The capture file could not be written!"), error));
        return;
    }
    lblStat->setText(kEnd);
    setPanel(1, QStringLiteral("Converting ..."));
    readdump();
    cmdReceive->setText(kReceive);
}

void KCR1::MSComm1_LineLost(const QString& reason) {
    // Only a running reception has a line to lose; it ends as Stop ends it.
    if (!m_captureFile) return;
    stopReception();
    showProblem(QStringLiteral("The connection to the total station was lost!\r%1").arg(reason));
}

void KCR1::Timer1_Timer() {
    RunSettingsRecord& rs = m_module.RunSettings;
    if (rs.DownloadIdle || m_timeoutShowing) return;
    const int count = lblTime->text().toInt() + 1;
    lblTime->setText(QString::number(count));
    setPanel(1, QStringLiteral("Waiting for ... ( %1)").arg(count));
    if (count <= kWaitSeconds) return;

    m_timeoutShowing = true;
    m_services.dialogs.message(QStringLiteral("No Data is received from Total Station!\r"
                                              "Please Check cable and settings!\r"
                                              "No connection was established ! "),
                               platform::Icon::Critical, platform::Buttons::Ok,
                               QStringLiteral("Problem"));
    m_timeoutShowing = false;
    setPanel(1, kReady);
    m_services.port.close();
    cmdReceive->setText(kReceive);
    lblTime->setText(QStringLiteral("0"));
    closeEverything();
    rs.DownloadIdle = true;
}

void KCR1::showProblem(const QString& text) {
    m_services.dialogs.message(text, platform::Icon::Critical, platform::Buttons::Ok,
                               QStringLiteral("Problem"));
}

void KCR1::endReceptionWithProblem(const QString& text) {
    // Back to Idle first, so the port is closed while the message is on screen.
    closeEverything();
    m_module.RunSettings.DownloadIdle = true;
    cmdReceive->setText(kReceive);
    setPanel(1, kReady);
    showProblem(text);
}
