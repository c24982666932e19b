// SPDX-License-Identifier: GPL-3.0-or-later
#include "Prompts.h"

namespace platform {

namespace {

const QString kProblem = QStringLiteral("Problem");

}  // namespace

void Prompts::problem(const QString& text) {
    m_dialogs.message(text, Icon::Critical, Buttons::Ok, kProblem);
}

bool Prompts::yes(const QString& question, Answer defaultAnswer) {
    return m_dialogs.message(question, Icon::Critical, Buttons::YesNo, kProblem, defaultAnswer) ==
           Answer::Yes;
}

void Prompts::notice(const QString& text, const QString& caption) {
    m_dialogs.message(text, Icon::None, Buttons::Ok, caption);
}

bool Prompts::confirm(const QString& text, const QString& caption) {
    return m_dialogs.message(text, Icon::Question, Buttons::OkCancel, caption) == Answer::Ok;
}

std::optional<QString> Prompts::saveName(const QString& filter, const QString& title,
                                         const QString& proposed) {
    return m_dialogs.showSave(filter, title, proposed);
}

}  // namespace platform
