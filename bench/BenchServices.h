// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Stand-ins for the desktop's services in the window benchmarks: nothing waits for a
// person, and what went wrong is counted and printed.

#include <QString>
#include <cstdio>
#include <optional>

#include "platform/Dialogs.h"
#include "platform/EditorLauncher.h"

namespace bench {

/// Yes to every question, OK to every message; file dialogs are cancelled.
class AnsweringDialogs final : public platform::Dialogs {
public:
    platform::Answer message(const QString& text, platform::Icon, platform::Buttons buttons,
                             const QString& caption, platform::Answer) override {
        if (buttons == platform::Buttons::YesNo) return platform::Answer::Yes;
        ++shown;
        last = text;
        if (caption == QStringLiteral("Problem")) {
            std::fprintf(stderr, "problem: %s\n", qPrintable(text));
            ++problems;
        }
        return platform::Answer::Ok;
    }
    std::optional<QString> showOpen(const QString&, const QString&, const QString&) override {
        return {};
    }
    std::optional<QString> showSave(const QString&, const QString&, const QString&) override {
        return {};
    }
    int shown = 0;     // messages, questions left out
    int problems = 0;  // of them, those captioned "Problem"
    QString last;      // the latest message
};

class NoEditor final : public platform::EditorLauncher {
public:
    platform::LaunchResult start(const QString&) override {
        return platform::LaunchResult::Started;
    }
};

}  // namespace bench
