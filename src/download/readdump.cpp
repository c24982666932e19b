// The raw data file made from a reception's capture.
#include <QFile>
#include <QLineEdit>
#include <QProgressBar>
#include <algorithm>
#include <climits>

#include "app/KCR1.h"
#include "core/capture.h"
#include "core/output_name.h"

namespace {

std::string localPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}
QString shownPath(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

}  // namespace

void KCR1::readdump() {
    if (const auto failure = writeRawDataFile()) failDump(*failure);
}

std::optional<KCR1::DumpFailure> KCR1::writeRawDataFile() {
    auto kindOf = [](const quorvel::FileError& e) {
        return e.notFound() ? DumpFailure::NotFound : DumpFailure::Other;
    };
    // Fewer lines counted than the copy reads only stops the bar at its end.
    const std::int64_t scale = std::clamp<std::int64_t>(m_module.LineCount / 5, 1, INT_MAX);
    PB1->setValue(0);
    PB1->setMaximum(static_cast<int>(scale));

    const std::string capturePath = localPath(m_module.CaptureFilePath);
    const QString& folder = m_module.RunSettings.DefaultPath;
    quorvel::InFile capture;
    if (!capture.open(capturePath)) return kindOf(capture.error());
    const std::optional<std::string> job = quorvel::findJobName(capture);
    capture.close();
    // A name that would put the file outside the download folder is refused.
    if (!job || !quorvel::jobNameIsSafe(*job)) return DumpFailure::Other;
    const QString name = shownPath(*job);
    EdObs->setText(folder + name + QStringLiteral(".sdr"));
    EdOut->setText(folder + name + QStringLiteral(".dat"));

    while (quorvel::regularFileExists(localPath(EdObs->text()))) {
        const platform::Answer answer = m_services.dialogs.message(
            QStringLiteral("File Exists! Do you want to overwrite? "), platform::Icon::Critical,
            platform::Buttons::YesNo, QStringLiteral("Problem"));
        if (answer == platform::Answer::Yes) break;
        const std::optional<QString> chosen =
            m_services.dialogs.showOpen(QStringLiteral("SDRfiles (*.sdr)|*.sdr|All Files(*.*)|*.*"),
                                        QStringLiteral("Select name for the Raw data File ..."));
        if (!chosen) return DumpFailure::Cancelled;
        EdObs->setText(*chosen);
        EdOut->setText(shownPath(quorvel::outputNameFor(localPath(*chosen))));
    }

    PB1->setVisible(true);
    const std::string rawPath = localPath(EdObs->text());
    // Creating the raw data file over the capture would empty it before it is read.
    if (quorvel::sameFile(rawPath, capturePath)) return DumpFailure::Other;
    if (!capture.open(capturePath)) return kindOf(capture.error());
    quorvel::OutFile raw;
    if (!raw.create(rawPath)) return kindOf(raw.error());
    int shown = 0;
    const quorvel::CopyResult copied =
        quorvel::copyRawData(capture, raw, [&](std::uint64_t linesRead) {
            const int value = static_cast<int>(std::min<std::uint64_t>(linesRead, scale));
            if (value == shown) return;
            shown = value;
            PB1->setValue(value);
            PB1->repaint();
        });
    capture.close();
    if (!copied.ok() || !raw.close()) return DumpFailure::Other;

    if (m_services.port.isOpen()) m_services.port.close();
    PB1->setVisible(false);
    setPanel(1, QStringLiteral("Ready"));
    // Only now that the raw data file is complete and closed; a capture that cannot
    // be deleted is emptied by the next reception.
    quorvel::removeFile(capturePath);
    return std::nullopt;
}

void KCR1::failDump(DumpFailure kind) {
    // Every file of the attempt is closed by now; what was written stays.
    switch (kind) {
        case DumpFailure::NotFound:
            PB1->setVisible(false);
            setPanel(1, QStringLiteral("Ready"));
            showProblem(QStringLiteral("File Not Found or invalid path!\rPlease select again! "));
            break;
        case DumpFailure::Cancelled:
            // The user abandoned the download.
            PB1->setVisible(false);
            if (m_services.port.isOpen()) m_services.port.close();
            setPanel(1, QStringLiteral("Ready"));
            quorvel::removeFile(localPath(m_module.CaptureFilePath));
            break;
        case DumpFailure::Other:
            setPanel(1, QStringLiteral("Ready"));
            showProblem(
                QStringLiteral("File could not be created!\rUnknown file handling Error! "));
            break;
    }
}
