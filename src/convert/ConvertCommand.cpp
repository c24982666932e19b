// SPDX-License-Identifier: GPL-3.0-or-later
#include "convert/ConvertCommand.h"

#include <QFile>
#include <QStringList>

#include "core/fileio.h"
#include "platform/Prompts.h"

namespace {

QString fromBytes(const std::string& s) {
    return QFile::decodeName(QByteArray::fromStdString(s));
}

std::string toBytes(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QString failureText(const quorvel::ConversionFailure& f) {
    using Kind = quorvel::ConversionFailure::Kind;
    switch (f.kind) {
        case Kind::ObservationNotFound:
            return QStringLiteral("File Not Found or invalid path!") + QLatin1Char('\r') +
                   QStringLiteral("Please select again! ");
        case Kind::SameFile:
            return QStringLiteral("The Output File is the Observation File itself!") +
                   QLatin1Char('\r') + QStringLiteral("Please choose another Output File.");
        case Kind::Observation:
            return QStringLiteral("Could not read the Observation File ") + fromBytes(f.path) +
                   QLatin1Char('\r') + fromBytes(f.reason);
        case Kind::Output:
            return QStringLiteral("Could not write the Output File ") + fromBytes(f.path) +
                   QLatin1Char('\r') + fromBytes(f.reason);
        case Kind::NothingWritten:
            break;  // told by the closing message
    }
    return {};
}

}  // namespace

ConvertCommand::Outcome ConvertCommand::convert(const QString& observationField,
                                                const QString& outputField,
                                                const quorvel::RunSettings& settings) {
    m_counts.reset();
    if (observationField.isEmpty()) {
        m_prompts.problem(QStringLiteral("Empty field of Observation File"));
        return Outcome::NoObservation;
    }
    if (outputField.isEmpty()) {
        m_prompts.problem(QStringLiteral("Empty field of Output File"));
        return Outcome::NoOutput;
    }
    const std::string observation = toBytes(observationField);
    const std::string output = toBytes(outputField);
    // Replacing the output would empty the observation file: refuse before asking.
    const quorvel::OutputTarget target = quorvel::outputTarget(output, {observation});
    if (target.source && quorvel::regularFileExists(observation)) {
        m_prompts.problem(failureText({quorvel::ConversionFailure::Kind::SameFile, observation, {}}));
        return Outcome::Failed;
    }
    if (target.taken && !m_prompts.yes(QStringLiteral("File Exists! Do you want to replace? "),
                                       platform::Answer::Yes))
        return Outcome::Kept;

    const quorvel::ConversionOutcome r =
        quorvel::convertFile({observation, output, settings.OutputFormat, settings.AxisOrder});
    if (r.ran) m_counts = r.counts;
    const bool nothing =
        r.failure && r.failure->kind == quorvel::ConversionFailure::Kind::NothingWritten;
    if (r.failure && !nothing) {
        m_prompts.problem(failureText(*r.failure));
        return Outcome::Failed;
    }
    QStringList parts;
    for (const std::string& part : quorvel::closingMessageParts(r.counts, output))
        parts << fromBytes(part);
    // A conversion that wrote nothing is no success: it says so as a problem.
    if (nothing) {
        m_prompts.problem(parts.join(QLatin1Char('\r')));
        return Outcome::NothingWritten;
    }
    m_prompts.notice(parts.join(QLatin1Char('\r')), QStringLiteral("Finito"));
    return Outcome::Converted;
}

std::optional<quorvel::PointList> ConvertCommand::points(const QString& observation,
                                                         const quorvel::RunSettings& settings) {
    using Kind = quorvel::ConversionFailure::Kind;
    const std::string path = toBytes(observation);
    quorvel::InFile in;
    if (!in.open(path)) {
        m_prompts.problem(
            failureText({in.error().notFound() ? Kind::ObservationNotFound : Kind::Observation,
                         path, in.error().reason()}));
        return std::nullopt;
    }
    quorvel::PointList list;
    if (quorvel::readPoints(in, {settings.OutputFormat, settings.AxisOrder}, list) !=
        quorvel::PassResult::Ok) {
        m_prompts.problem(failureText({Kind::Observation, path, in.error().reason()}));
        return std::nullopt;
    }
    return list;
}
