// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CommandLine.h"

#include <QCommandLineParser>
#include <QFileInfo>

#include "core/version.h"

CommandLine parseCommandLine(const QStringList& arguments, bool toolkitTaken) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Downloads from a total station over a serial line and converts observation files\n"
        "into coordinate files. quorvel-convert converts from the command line."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and exit."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Show the version and exit."));
    parser.addOptions({help, version});
    parser.addPositionalArgument(
        QStringLiteral("FILE"),
        QStringLiteral("An observation or raw data file (.sdr, .obs) to put in the Observation "
                       "File field, with its output file proposed."),
        QStringLiteral("[FILE]"));
    const bool parsed = parser.parse(arguments);
    CommandLine line;
    if (parser.isSet(help)) {
        // The program's name, whatever the parser takes it to be (it knows none before
        // the application object exists).
        line.action = CommandLine::Action::Help;
        line.text = parser.helpText();
        const qsizetype end = line.text.indexOf(QLatin1String(" [options]"));
        if (line.text.startsWith(QLatin1String("Usage: ")) && end > 7)
            line.text.replace(7, end - 7, QStringLiteral("quorvel"));
        return line;
    }
    if (parser.isSet(version)) {
        line.action = CommandLine::Action::Version;
        line.text = QString::fromStdString(quorvel::versionText("quorvel"));
        return line;
    }
    if (!toolkitTaken) return line;
    const QStringList files = parser.positionalArguments();
    if (!parsed || files.size() > 1) {
        line.action = CommandLine::Action::Wrong;
        line.text = QStringLiteral("quorvel: %1\nTry 'quorvel --help'.\n")
                        .arg(parsed ? QStringLiteral("one file at a time, not %1").arg(files.size())
                                    : parser.errorText());
        return line;
    }
    if (!files.isEmpty()) line.file = QFileInfo(files.constFirst()).absoluteFilePath();
    return line;
}
