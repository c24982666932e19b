// SPDX-License-Identifier: GPL-3.0-or-later
#include "send/SendCommand.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include "core/fileio.h"
#include "core/safe_output.h"
#include "core/send.h"
#include "platform/Prompts.h"

namespace {

QString text(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

QString pathText(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

QString pointText(const quorvel::SendPoint& p) {
    QString s =
        QStringLiteral("%1  X %2  Y %3  Z %4").arg(text(p.id), text(p.x), text(p.y), text(p.z));
    return p.code.empty() ? s : s + QStringLiteral("  ") + text(p.code);
}

QString flowText(quorvel::FlowControl flow) {
    switch (flow) {
        case quorvel::FlowControl::XonXoff:
            return QStringLiteral("XON/XOFF");
        case quorvel::FlowControl::RtsCts:
            return QStringLiteral("RTS/CTS");
        case quorvel::FlowControl::None:
            break;
    }
    return QStringLiteral("no flow control");
}

}  // namespace

std::optional<SendCommand::Ready> SendCommand::prepare(const QString& source,
                                                       const quorvel::RunSettings& settings,
                                                       const std::tm& now) {
    const std::string path = QFile::encodeName(source).toStdString();
    quorvel::InFile in;
    quorvel::SendList list;
    if (!in.open(path) || !quorvel::readSendPoints(in, settings.AxisOrder, list)) {
        m_prompts.problem(
            in.error().notFound()
                ? QStringLiteral("File Not Found or invalid path!\rPlease select again! ")
                : QStringLiteral("Could not read the Observation File %1\r%2")
                      .arg(source, pathText(in.error().reason())));
        return std::nullopt;
    }
    in.close();
    QStringList notes;
    for (const std::string& note : quorvel::sendNotes(list)) notes << text(note);
    if (list.points.empty()) {
        m_prompts.problem(
            (QStringList{QStringLiteral("No point to send in %1!").arg(source)} + notes)
                .join(QLatin1Char('\r')));
        return std::nullopt;
    }
    // A value cut would be a wrong point on the ground: nothing goes.
    if (!list.tooLong.empty()) {
        m_prompts.problem(QStringLiteral("The point %1 has a value longer than 16 characters!\r"
                                         "Nothing was sent.")
                              .arg(text(list.tooLong)));
        return std::nullopt;
    }

    Ready ready;
    ready.job = text(quorvel::jobNameFor(path));
    ready.lines = quorvel::sdrRecords(list, ready.job.toStdString(), settings.AxisOrder, now);
    ready.headerLines = 2;
    const quorvel::LineSettings& line = settings.Line;
    QStringList question{
        QStringLiteral("Send %1 point%2 to the instrument as job %3?")
            .arg(list.points.size())
            .arg(list.points.size() == 1 ? QString() : QStringLiteral("s"), ready.job),
        QStringLiteral("First: ") + pointText(list.points.front()),
        QStringLiteral("Last: ") + pointText(list.points.back()),
        QStringLiteral("On %1 at %2, %3, %4 ms after each line.")
            .arg(text(quorvel::portName(line.port)), text(quorvel::lineText(line)),
                 flowText(line.flow))
            .arg(settings.LineDelay)};
    if (!m_prompts.confirm((question + notes).join(QLatin1Char('\r')),
                           QStringLiteral("Send Points")))
        return std::nullopt;

    // The record of what goes to the instrument, beside the file it came from.
    ready.record = QFileInfo(source).dir().filePath(ready.job + QStringLiteral("-sent.sdr"));
    const std::string record = QFile::encodeName(ready.record).toStdString();
    const quorvel::OutputTarget target = quorvel::outputTarget(record, {path});
    if (target.source) {
        m_prompts.problem(QStringLiteral("The record of what is sent would replace %1 itself!\r"
                                         "Nothing was sent.")
                              .arg(source));
        return std::nullopt;
    }
    if (target.taken && !m_prompts.yes(QStringLiteral("File Exists! Do you want to replace? "),
                                       platform::Answer::Yes))
        return std::nullopt;
    ready.recordFile = std::make_unique<quorvel::SafeOutFile>();
    quorvel::SafeOutFile& out = *ready.recordFile;
    if (!out.open(record) || !out.write(quorvel::framedText(ready.lines))) {
        m_prompts.problem(QStringLiteral("Could not write %1\r%2\rNothing was sent.")
                              .arg(ready.record, pathText(out.error().reason())));
        return std::nullopt;
    }
    return ready;
}

bool SendCommand::keepRecord(Ready& ready) {
    if (ready.recordFile->commit()) return true;
    m_prompts.problem(QStringLiteral("Could not write %1\r%2")
                          .arg(ready.record, pathText(ready.recordFile->error().reason())));
    return false;
}
