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
    /// After a start() that found no editor: each place it looked, with what it found
    /// there, for the message. Empty where the platform's own message says it all.
    virtual QStringList tried() const { return {}; }
};

/// The platform's plain text editor. On Windows notepad. Elsewhere, in this order:
/// $VISUAL, $EDITOR (a terminal editor in the desktop's terminal), the desktop's
/// default application for text files, then the first of a list of desktop editors
/// on the PATH. The path is one argument, never passed through a shell.
class QtEditorLauncher final : public EditorLauncher {
public:
    LaunchResult start(const QString& path) override;
    QStringList tried() const override { return m_tried; }
    static QStringList candidateEditors();
    /// The first of candidateEditors() on the PATH, or an empty text.
    static QString findEditor();
    struct Command {
        QStringList words;  // the program, then its arguments
        bool terminal = false;
    };
    /// The command line of the desktop's default application for text files (its
    /// desktop entry's Exec with `path` in place); no words when none is set.
    static Command desktopDefaultFor(const QString& path);

private:
    QStringList m_tried;
};

}  // namespace platform
