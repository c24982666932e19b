// SPDX-License-Identifier: GPL-3.0-or-later
#include "Scripted.h"

namespace testing_support {

QString message(const QString& caption, platform::Icon icon, platform::Buttons buttons,
                const QString& text) {
    const char* icons[] = {"plain", "critical", "question"};
    const char* sets[] = {"ok", "okcancel", "yesno"};
    return QStringLiteral("%1/%2/%3: %4")
        .arg(caption, QLatin1String(icons[int(icon)]), QLatin1String(sets[int(buttons)]), text);
}

platform::Answer ScriptedDialogs::message(const QString& text, platform::Icon icon,
                                          platform::Buttons buttons, const QString& caption,
                                          platform::Answer defaultAnswer) {
    shown << testing_support::message(caption, icon, buttons, text);
    defaults << defaultAnswer;
    if (auto during = std::exchange(whileShowing, nullptr)) during();
    if (answers.empty())
        return buttons == platform::Buttons::YesNo ? platform::Answer::Yes : platform::Answer::Ok;
    const platform::Answer a = answers.front();
    answers.pop_front();
    return a;
}

std::optional<QString> ScriptedDialogs::showOpen(const QString& filter, const QString& title,
                                                 const QString& folder) {
    dialogs << title + QStringLiteral(" | ") + filter;
    if (!folder.isNull()) openFolders << folder;
    if (files.empty()) return std::nullopt;
    const QString f = files.front();
    files.pop_front();
    return f.isNull() ? std::nullopt : std::optional(f);
}

bool ScriptedSerialPort::open() {
    m_pending.clear();  // a port opens with nothing waiting, as a real one does
    return m_open = !failOpen;
}

void ScriptedSerialPort::receive(const QByteArray& data) {
    m_pending += data;
    emit commEvent(platform::ComEvReceive);
}

void ScriptedSerialPort::lose(const QString& reason) {
    m_open = false;
    emit lineLost(reason);
}

}  // namespace testing_support
