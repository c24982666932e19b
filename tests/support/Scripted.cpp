#include "Scripted.h"

namespace testing_support {

platform::Answer ScriptedDialogs::message(const QString& text, platform::Icon icon,
                                          platform::Buttons buttons, const QString& caption,
                                          platform::Answer defaultAnswer) {
    messages.append({text, icon, buttons, caption, defaultAnswer});
    if (whileShowing) {
        auto during = std::move(whileShowing);
        whileShowing = nullptr;
        during();
    }
    if (!answers.empty()) {
        const platform::Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    switch (buttons) {
        case platform::Buttons::Ok:
            return platform::Answer::Ok;
        case platform::Buttons::OkCancel:
            return platform::Answer::Ok;
        case platform::Buttons::YesNo:
            return platform::Answer::Yes;
    }
    return platform::Answer::Ok;
}

std::optional<QString> ScriptedDialogs::showSave(const QString& filter, const QString& title,
                                                 const QString& proposed) {
    saveProposals << proposed;
    return showOpen(filter, title);
}

std::optional<QString> ScriptedDialogs::showOpen(const QString& filter, const QString& title) {
    dialogTitles << title;
    dialogFilters << filter;
    if (files.empty()) return std::nullopt;
    const QString f = files.front();
    files.pop_front();
    if (f.isNull()) return std::nullopt;
    return f;
}

bool ScriptedSerialPort::open() {
    ++openCount;
    if (failOpen) {
        m_error = openError;
        return false;
    }
    m_open = true;
    m_pending.clear();  // a port opens with nothing waiting, as a real one does
    return true;
}

QByteArray ScriptedSerialPort::input() {
    QByteArray data;
    data.swap(m_pending);
    return data;
}

void ScriptedSerialPort::receive(const QByteArray& data) {
    m_pending += data;
    emit commEvent(platform::ComEvReceive);
}

void ScriptedSerialPort::lose(const QString& reason) {
    m_error = reason;
    m_open = false;
    emit lineLost(reason);
}

}  // namespace testing_support
