// SPDX-License-Identifier: GPL-3.0-or-later
#include "download/RawDataStep.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <climits>

#include "core/capture.h"
#include "core/fileio.h"
#include "core/safe_output.h"
#include "platform/Platform.h"
#include "platform/Prompts.h"

namespace {

std::string localPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}
QString shownPath(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

RawDataStep::Outcome failureOf(const quorvel::FileError& error) {
    return error.notFound() ? RawDataStep::Outcome::NotFound : RawDataStep::Outcome::Failed;
}

}  // namespace

RawDataStep::RawDataStep(platform::Prompts& prompts, QObject* parent)
    : QObject(parent), m_prompts(prompts) {
    setObjectName(QStringLiteral("RawDataStep"));
}

RawDataStep::Outcome RawDataStep::run(const QString& capturePath, std::int64_t lineCount) {
    const Outcome outcome = write(capturePath, lineCount);
    // Every file of the attempt is closed by now; the capture stays unless the copy
    // was complete.
    switch (outcome) {
        case Outcome::Written:
            break;
        case Outcome::NotFound:
            emit progressShown(false);
            emit ended();
            emit problem(QStringLiteral("File Not Found or invalid path!\rPlease select again! "));
            break;
        case Outcome::Cancelled:
            // The download stays in its capture file, named for the user to keep or convert.
            emit progressShown(false);
            emit ended();
            emit named(capturePath);
            break;
        case Outcome::Failed:
            emit ended();
            emit problem(
                QStringLiteral("File could not be created!\rUnknown file handling Error! "));
            break;
    }
    return outcome;
}

RawDataStep::Outcome RawDataStep::write(const QString& capturePath, std::int64_t lineCount) {
    // Fewer lines counted than the copy reads only stops the bar at its end.
    const int scale = static_cast<int>(std::clamp<std::int64_t>(lineCount / 5, 1, INT_MAX));
    emit progressed(0, scale);

    const std::string capture = localPath(capturePath);
    // The folder the capture was written to, whatever the settings say by now.
    const QString folder = capturePath.left(capturePath.lastIndexOf(platform::separator()) + 1);
    quorvel::InFile in;
    if (!in.open(capture)) return failureOf(in.error());
    const std::optional<std::string> job = quorvel::findJobName(in);
    in.close();
    // A name that would put the file outside the download folder is refused.
    if (!job || !quorvel::jobNameIsSafe(*job)) return Outcome::Failed;
    QString rawPath = folder + shownPath(*job) + QStringLiteral(".sdr");
    emit named(rawPath);

    // A link there counts as a file: it is replaced, never written through.
    while (quorvel::outputTarget(localPath(rawPath), {}).taken) {
        if (m_prompts.yes(QStringLiteral("File Exists! Do you want to overwrite? "))) break;
        const std::optional<QString> chosen =
            m_prompts.saveName(QStringLiteral("SDRfiles (*.sdr)|*.sdr|All Files(*.*)|*.*"),
                               QStringLiteral("Select name for the Raw data File ..."), rawPath);
        if (!chosen) return Outcome::Cancelled;
        // A name typed without an extension is still a raw data file: "second" is second.sdr.
        const bool bare = !QFileInfo(*chosen).fileName().contains(QLatin1Char('.'));
        rawPath = bare ? *chosen + QStringLiteral(".sdr") : *chosen;
        emit named(rawPath);
    }

    emit progressShown(true);
    const std::string raw = localPath(rawPath);
    // Writing the raw data file over the capture would lose the capture.
    if (quorvel::outputTarget(raw, {capture}).source) return Outcome::Failed;
    if (!in.open(capture)) return failureOf(in.error());
    // Written beside its place and put there when complete: a failure leaves an
    // earlier file as it was.
    quorvel::SafeOutFile out;
    if (!out.open(raw, quorvel::SafeOutFile::Links::Replace)) return failureOf(out.error());
    int shown = 0;
    const quorvel::CopyResult copied = quorvel::copyRawData(in, out, [&](std::uint64_t linesRead) {
        const int value = static_cast<int>(std::min<std::uint64_t>(linesRead, scale));
        if (value == shown) return;
        shown = value;
        emit progressed(value, scale);
    });
    in.close();
    if (!copied.ok() || !out.commit()) return Outcome::Failed;
    Written result{rawPath, shownPath(*job), copied.linesWritten, copied.jobs, {}};
    for (const std::string& name : copied.jobNames) result.jobNames << shownPath(name);
    emit progressShown(false);
    emit written(result);
    // Only now that the raw data file is complete and in place; a capture that cannot
    // be deleted is kept aside by the next reception.
    quorvel::removeFile(capture);
    return Outcome::Written;
}
