// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's command line: --help, --version and an observation file to open.

#include <QString>
#include <QStringList>

struct CommandLine {
    enum class Action { Run, Help, Version, Wrong };
    Action action = Action::Run;
    QString file;  // the observation file to put in the field, as an absolute path; or none
    QString text;  // the help, the version, or what is wrong (for standard output or error)
};

/// Reads `arguments` (the program's name first). Before the toolkit has taken its own
/// options (-platform and the like) only --help and --version are looked at;
/// afterwards (`toolkitTaken`) any other option, or more than one file, is wrong.
CommandLine parseCommandLine(const QStringList& arguments, bool toolkitTaken);
