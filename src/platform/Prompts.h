// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the commands ask the user and tell them, in the program's manner: problems
// and the questions before a file is replaced under the caption "Problem" with the
// critical icon, notices without an icon. Shown through the dialogs, which tests
// answer in the user's place.

#include <QString>
#include <optional>

#include "Dialogs.h"

namespace platform {

class Prompts {
public:
    explicit Prompts(Dialogs& dialogs) : m_dialogs(dialogs) {}

    /// A problem: the message with OK.
    void problem(const QString& text);
    /// A question with Yes and No; true for Yes. `defaultAnswer` is the default button.
    bool yes(const QString& question, Answer defaultAnswer = Answer::Ok);
    /// A message with OK and no icon under `caption` ("Finito").
    void notice(const QString& text, const QString& caption);
    /// OK or Cancel with the question icon under `caption`; true for OK.
    bool confirm(const QString& text, const QString& caption);
    /// The save dialog (see Dialogs::showSave); nothing on Cancel.
    std::optional<QString> saveName(const QString& filter, const QString& title,
                                    const QString& proposed);

private:
    Dialogs& m_dialogs;
};

}  // namespace platform
