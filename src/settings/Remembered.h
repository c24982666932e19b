// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The settings kept for the next start when the user asks for it ("Remember these
// settings"): port, line and flow control, the pause after a line sent, output layout
// and download folder. Off, nothing of them is read or kept, and every start begins
// from the defaults.

#include <QString>
#include <optional>

#include "core/settings.h"
#include "platform/Preferences.h"

namespace remembered {

/// Whether the user asked for the settings to be kept.
bool enabled(const platform::Preferences& store);
/// O.K. in the settings window: keeps `settings` when `on`, else only that it is off.
/// A kept folder that is gone stays kept unless `folderChosen`: the home folder that
/// stands in for it is no choice of the user's.
void save(platform::Preferences& store, const quorvel::RunSettings& settings, bool on,
          bool folderChosen);

struct Loaded {
    QString missingFolder;  // the kept folder, gone since: downloads go to the home folder
};
/// At start: puts the kept settings into `settings` (a value out of range keeps its
/// default). Nothing when the user did not ask for them.
std::optional<Loaded> load(const platform::Preferences& store, quorvel::RunSettings& settings,
                           const QString& homeFolder);

/// The axis setting kept from the last run (kept whether or not the settings are).
/// Version 1.1.0 kept "xeast", its default, for a click on the button already checked
/// as well: a configuration it wrote with that value moves to today's default, X north,
/// once. A choice made since is marked as such and stays.
quorvel::Axes loadAxes(platform::Preferences& store);
/// A click in the axis group: kept for the next run.
void saveAxes(platform::Preferences& store, quorvel::Axes axes);

}  // namespace remembered
