// SPDX-License-Identifier: GPL-3.0-or-later
// The raw data file made from a reception's capture.
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProgressBar>
#include <QStringList>
#include <algorithm>
#include <climits>

#include "app/KCR1.h"
#include "core/capture.h"
#include "core/incoming.h"
#include "core/safe_output.h"
#include "platform/Platform.h"

namespace {

std::string localPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}
QString shownPath(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

// The one file holds every job of the transfer, named after the first (as stored files
// expect): the user is told of the others.
QString severalJobs(const quorvel::CopyResult& copied, const QString& rawPath) {
    QStringList names;
    for (const std::string& job : copied.jobNames) names << shownPath(job);
    if (copied.jobs > copied.jobNames.size()) names << QStringLiteral("...");
    return QStringLiteral("The transfer held %1 jobs (%2): all are in %3")
        .arg(QString::number(copied.jobs), names.join(QStringLiteral(", ")),
             rawPath.mid(rawPath.lastIndexOf(platform::separator()) + 1));
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
    // The folder the capture was written to, whatever the settings say by now.
    const QString& capture = m_module.CaptureFilePath;
    const QString folder = capture.left(capture.lastIndexOf(platform::separator()) + 1);
    quorvel::InFile in;
    if (!in.open(capturePath)) return kindOf(in.error());
    const std::optional<std::string> job = quorvel::findJobName(in);
    in.close();
    // A name that would put the file outside the download folder is refused.
    if (!job || !quorvel::jobNameIsSafe(*job)) return DumpFailure::Other;
    setObservationName(folder + shownPath(*job) + QStringLiteral(".sdr"));

    // A link there counts as a file: it is replaced, never written through.
    for (std::string raw = localPath(EdObs->text());
         quorvel::regularFileExists(raw) || quorvel::isSymbolicLink(raw);
         raw = localPath(EdObs->text())) {
        const platform::Answer answer = m_services.dialogs.message(
            QStringLiteral("File Exists! Do you want to overwrite? "), platform::Icon::Critical,
            platform::Buttons::YesNo, QStringLiteral("Problem"));
        if (answer == platform::Answer::Yes) break;
        const std::optional<QString> chosen = m_services.dialogs.showSave(
            QStringLiteral("SDRfiles (*.sdr)|*.sdr|All Files(*.*)|*.*"),
            QStringLiteral("Select name for the Raw data File ..."), EdObs->text());
        if (!chosen) return DumpFailure::Cancelled;
        // A name typed without an extension is still a raw data file: "second" is second.sdr.
        const bool bare = !QFileInfo(*chosen).fileName().contains(QLatin1Char('.'));
        setObservationName(bare ? *chosen + QStringLiteral(".sdr") : *chosen);
    }

    PB1->setVisible(true);
    const std::string rawPath = localPath(EdObs->text());
    // Writing the raw data file over the capture would lose the capture.
    if (quorvel::sameFile(rawPath, capturePath)) return DumpFailure::Other;
    if (!in.open(capturePath)) return kindOf(in.error());
    // Written beside its place and put there when complete: a failure leaves an
    // earlier file as it was.
    quorvel::SafeOutFile raw;
    if (!raw.open(rawPath, quorvel::SafeOutFile::Links::Replace)) return kindOf(raw.error());
    int shown = 0;
    const quorvel::CopyResult copied = quorvel::copyRawData(in, raw, [&](std::uint64_t linesRead) {
        const int value = static_cast<int>(std::min<std::uint64_t>(linesRead, scale));
        if (value == shown) return;
        shown = value;
        PB1->setValue(value);
        PB1->repaint();
    });
    in.close();
    if (!copied.ok() || !raw.commit()) return DumpFailure::Other;
    setPanel(3,
             QStringLiteral("Job %1 \u00b7 %2 %3")
                 .arg(shownPath(*job),
                      QString::fromStdString(quorvel::groupedNumber(copied.linesWritten)),
                      copied.linesWritten == 1 ? QStringLiteral("line") : QStringLiteral("lines")));

    if (m_services.port.isOpen()) m_services.port.close();
    PB1->setVisible(false);
    setPanel(1, copied.jobs > 1 ? severalJobs(copied, EdObs->text()) : QStringLiteral("Ready"));
    // Only now that the raw data file is complete and in place; a capture that cannot
    // be deleted is kept aside by the next reception.
    quorvel::removeFile(capturePath);
    return std::nullopt;
}

void KCR1::failDump(DumpFailure kind) {
    // Every file of the attempt is closed by now; the capture stays unless the copy
    // was complete.
    switch (kind) {
        case DumpFailure::NotFound:
            PB1->setVisible(false);
            setPanel(1, QStringLiteral("Ready"));
            showProblem(QStringLiteral("File Not Found or invalid path!\rPlease select again! "));
            break;
        case DumpFailure::Cancelled:
            // The download stays in its capture file, named for the user to keep or convert.
            PB1->setVisible(false);
            if (m_services.port.isOpen()) m_services.port.close();
            setPanel(1, QStringLiteral("Ready"));
            setObservationName(m_module.CaptureFilePath);
            break;
        case DumpFailure::Other:
            setPanel(1, QStringLiteral("Ready"));
            showProblem(
                QStringLiteral("File could not be created!\rUnknown file handling Error! "));
            break;
    }
}
