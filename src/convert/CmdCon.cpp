// SPDX-License-Identifier: GPL-3.0-or-later
// The Convert command: checks, the replace question, the conversion, the closing
// message. It opens and closes only its own two files.
#include <QFile>
#include <QLineEdit>
#include <QStringList>

#include "app/KCR1.h"
#include "core/conversion.h"
#include "core/points.h"
#include "points/frmPoints.h"

namespace {

using platform::Answer;
using platform::Buttons;
using platform::Icon;

QString fromBytes(const std::string& s) {
    return QFile::decodeName(QByteArray::fromStdString(s));
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

void KCR1::CmdCon_Click() {
    platform::Dialogs& dialogs = m_services.dialogs;
    auto problem = [&](const QString& text) {
        dialogs.message(text, Icon::Critical, Buttons::Ok, QStringLiteral("Problem"));
    };
    if (EdObs->text().isEmpty()) {
        problem(QStringLiteral("Empty field of Observation File"));
        EdObs->setFocus();
        return;
    }
    if (EdOut->text().isEmpty()) {
        problem(QStringLiteral("Empty field of Output File"));
        EdOut->setFocus();
        return;
    }
    const std::string observation = QFile::encodeName(EdObs->text()).toStdString();
    const std::string output = QFile::encodeName(EdOut->text()).toStdString();
    // Replacing the output would empty the observation file: refuse before asking.
    if (quorvel::sameFile(observation, output)) {
        problem(failureText({quorvel::ConversionFailure::Kind::SameFile, observation, {}}));
        return;
    }
    if (quorvel::regularFileExists(output) &&
        dialogs.message(QStringLiteral("File Exists! Do you want to replace? "), Icon::Critical,
                        Buttons::YesNo, QStringLiteral("Problem"), Answer::Yes) != Answer::Yes)
        return;

    const quorvel::ConversionOutcome r = quorvel::convertFile(
        {observation, output, m_module.RunSettings.OutputFormat, m_module.RunSettings.AxisOrder});
    if (r.ran) {
        m_module.LineCount = r.counts.LineCount;
        m_module.CoordinateCount = r.counts.CoordinateCount;
    }
    const bool nothing =
        r.failure && r.failure->kind == quorvel::ConversionFailure::Kind::NothingWritten;
    if (r.failure && !nothing) {
        problem(failureText(*r.failure));
        return;
    }
    QStringList parts;
    for (const std::string& part : quorvel::closingMessageParts(r.counts, output))
        parts << fromBytes(part);
    // A conversion that wrote nothing is no success: it says so as a problem.
    if (nothing)
        problem(parts.join(QLatin1Char('\r')));
    else
        dialogs.message(parts.join(QLatin1Char('\r')), Icon::None, Buttons::Ok,
                        QStringLiteral("Finito"));
    if (!nothing && m_pointsAfterConvert) viewPoints(EdObs->text());
}

void KCR1::cmdViewPoints_Click() {
    if (EdObs->text().isEmpty()) {
        showProblem(QStringLiteral("Empty field of Observation File"));
        EdObs->setFocus();
        return;
    }
    viewPoints(EdObs->text());
}

void KCR1::viewPoints(const QString& observation) {
    using Kind = quorvel::ConversionFailure::Kind;
    const std::string path = QFile::encodeName(observation).toStdString();
    quorvel::InFile in;
    quorvel::PointList list;
    const quorvel::ConversionOptions options{m_module.RunSettings.OutputFormat,
                                             m_module.RunSettings.AxisOrder};
    if (!in.open(path)) {
        showProblem(
            failureText({in.error().notFound() ? Kind::ObservationNotFound : Kind::Observation,
                         path, in.error().reason()}));
        return;
    }
    if (quorvel::readPoints(in, options, list) != quorvel::PassResult::Ok) {
        showProblem(failureText({Kind::Observation, path, in.error().reason()}));
        return;
    }
    if (!m_points) {
        m_points = new frmPoints(m_services.dialogs, this);
        m_points->setShowAfterConvert(m_pointsAfterConvert);
        connect(m_points, &frmPoints::showAfterConvertChanged, this, [this](bool on) {
            m_pointsAfterConvert = on;
            m_services.preferences->setValue(QStringLiteral("pointsAfterConvert"),
                                             on ? QStringLiteral("on") : QStringLiteral("off"));
        });
    }
    m_points->showPoints(observation, std::move(list), options.axes);
}
