// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/Remembered.h"

#include <QFileInfo>
#include <QStringList>
#include <algorithm>

#include "core/formats.h"

namespace remembered {

namespace {

const QString kOn = QStringLiteral("remember");
const QString kPort = QStringLiteral("line/port");
const QString kBaud = QStringLiteral("line/baud");
const QString kParity = QStringLiteral("line/parity");
const QString kData = QStringLiteral("line/databits");
const QString kStop = QStringLiteral("line/stopbits");
const QString kLayout = QStringLiteral("output/layout");
const QString kFolder = QStringLiteral("download/folder");
const QString kAxes = QStringLiteral("axes");
// Written with every axis choice from the version whose default is X north on: a
// value beside it is the user's choice, not the old default.
const QString kAxesChosen = QStringLiteral("axesDefault");
const QString kXNorth = QStringLiteral("xnorth");
const QString kXEast = QStringLiteral("xeast");
constexpr int kLayouts = quorvel::kFormatCount;  // the layouts and formats Settings offers

/// The stored number if it is one of `allowed`, else `fallback`.
int oneOf(const platform::Preferences& store, const QString& key,
          std::initializer_list<int> allowed, int fallback) {
    bool ok = false;
    const int n = store.value(key).toInt(&ok);
    return ok && std::find(allowed.begin(), allowed.end(), n) != allowed.end() ? n : fallback;
}

}  // namespace

bool enabled(const platform::Preferences& store) {
    return store.value(kOn) == QLatin1String("on");
}

void save(platform::Preferences& store, const RunSettingsRecord& s, bool on, bool folderChosen) {
    store.setValue(kOn, on ? QStringLiteral("on") : QStringLiteral("off"));
    if (!on) return;
    store.setValue(kPort, s.PortName);
    store.setValue(kBaud, QString::number(s.BaudRate));
    store.setValue(kParity, s.Parity);
    store.setValue(kData, QString::number(s.DataBits));
    store.setValue(kStop, QString::number(s.StopBits));
    store.setValue(kLayout, QString::number(s.OutputFormat));
    const QString kept = store.value(kFolder);
    if (folderChosen || kept.trimmed().isEmpty() || QFileInfo(kept).isDir())
        store.setValue(kFolder, s.DefaultPath);
}

std::optional<Loaded> load(const platform::Preferences& store, RunSettingsRecord& s,
                           const QString& homeFolder) {
    if (!enabled(store)) return std::nullopt;
    const QString port = store.value(kPort);
    if (QStringList{QStringLiteral("COM1"), QStringLiteral("COM2"), QStringLiteral("COM3"),
                    QStringLiteral("COM4")}
            .contains(port))
        s.PortName = port;
    s.BaudRate = oneOf(store, kBaud, {1200, 9600, 19200, 38400}, s.BaudRate);
    const QString parity = store.value(kParity);
    if (QStringList{QStringLiteral("N"), QStringLiteral("E"), QStringLiteral("O")}.contains(parity))
        s.Parity = parity;
    s.DataBits = std::int16_t(oneOf(store, kData, {7, 8}, s.DataBits));
    s.StopBits = std::int16_t(oneOf(store, kStop, {1, 2}, s.StopBits));
    bool ok = false;
    const int layout = store.value(kLayout).toInt(&ok);
    if (ok && layout >= 1 && layout <= kLayouts) s.OutputFormat = std::int16_t(layout);
    Loaded loaded;
    const QString folder = store.value(kFolder);
    const bool there = QFileInfo(folder).isDir();
    s.DefaultPath = there ? folder : homeFolder;
    if (!there && !folder.trimmed().isEmpty()) loaded.missingFolder = folder;
    return loaded;
}

quorvel::Axes loadAxes(platform::Preferences& store) {
    if (store.value(kAxes) != kXEast) return quorvel::Axes::XNorthYEast;
    if (store.value(kAxesChosen) == kXNorth) return quorvel::Axes::XEastYNorth;
    saveAxes(store, quorvel::Axes::XNorthYEast);  // 1.1.0's default: moved, once
    return quorvel::Axes::XNorthYEast;
}

void saveAxes(platform::Preferences& store, quorvel::Axes axes) {
    store.setValue(kAxes, axes == quorvel::Axes::XEastYNorth ? kXEast : kXNorth);
    store.setValue(kAxesChosen, kXNorth);
}

}  // namespace remembered
