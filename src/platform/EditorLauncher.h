// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Starts the plain text editor on a file, without waiting for it.

#include <QString>
#include <QStringList>

namespace platform {

enum class LaunchResult { Started, FileNotFound, PathNotFound, Failed };

class EditorLauncher {
public:
    virtual ~EditorLauncher() = default;
    virtual LaunchResult start(const QString& path) = 0;
};

/// The platform's plain text editor: notepad on Windows; elsewhere the first of a
/// list of desktop editors found on the PATH. The path is one argument, never
/// passed through a shell.
class QtEditorLauncher final : public EditorLauncher {
public:
    LaunchResult start(const QString& path) override;
    static QStringList candidateEditors();
    /// The editor that start() would use, or an empty text.
    static QString findEditor();
};

}  // namespace platform
