// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/Remembered.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <algorithm>

namespace remembered {

namespace {

const QString kOn = QStringLiteral("remember");
const QString kPort = QStringLiteral("line/port");
const QString kBaud = QStringLiteral("line/baud");
const QString kParity = QStringLiteral("line/parity");
const QString kData = QStringLiteral("line/databits");
const QString kStop = QStringLiteral("line/stopbits");
const QString kFlow = QStringLiteral("line/flow");
const QString kDelay = QStringLiteral("send/linedelay");
const QString kLayout = QStringLiteral("output/layout");
const QStringList kFlows = {QStringLiteral("none"), QStringLiteral("xonxoff"),
                            QStringLiteral("rtscts")};
const QString kFolder = QStringLiteral("download/folder");
const QString kAxes = QStringLiteral("axes");
// Written with every axis choice from the version whose default is X north on: a
// value beside it is the user's choice, not the old default.
const QString kAxesChosen = QStringLiteral("axesDefault");
const QString kXNorth = QStringLiteral("xnorth");
const QString kXEast = QStringLiteral("xeast");

/// The number `text` if it is one of `allowed`, else `fallback`.
int oneOf(const QString& text, std::initializer_list<int> allowed, int fallback) {
    bool ok = false;
    const int n = text.toInt(&ok);
    return ok && std::find(allowed.begin(), allowed.end(), n) != allowed.end() ? n : fallback;
}

QString folderText(const std::string& folder) {
    return QFile::decodeName(QByteArray::fromStdString(folder));
}

}  // namespace

bool enabled(const platform::Preferences& store) {
    return store.value(kOn) == QLatin1String("on");
}

void save(platform::Preferences& store, const quorvel::RunSettings& s, bool on, bool folderChosen) {
    store.setValue(kOn, on ? QStringLiteral("on") : QStringLiteral("off"));
    if (!on) return;
    const quorvel::LineSettings& line = s.Line;
    store.setValue(kPort, QString::fromStdString(quorvel::portName(line.port)));
    store.setValue(kBaud, QString::number(line.baudRate));
    store.setValue(kParity, QString(QLatin1Char(quorvel::parityLetter(line.parity))));
    store.setValue(kData, QString::number(line.dataBits));
    store.setValue(kStop, QString::number(line.stopBits));
    store.setValue(kFlow, kFlows[static_cast<int>(line.flow)]);
    store.setValue(kDelay, QString::number(s.LineDelay));
    store.setValue(kLayout, QString::number(quorvel::numberOf(s.OutputFormat)));
    const QString kept = store.value(kFolder);
    if (folderChosen || kept.trimmed().isEmpty() || QFileInfo(kept).isDir())
        store.setValue(kFolder, folderText(s.DefaultPath));
}

std::optional<Loaded> load(const platform::Preferences& store, quorvel::RunSettings& s,
                           const QString& homeFolder) {
    if (!enabled(store)) return std::nullopt;
    quorvel::LineSettings& line = s.Line;
    const QString port = store.value(kPort);  // "COM3"
    if (port.startsWith(QLatin1String("COM")))
        line.port = oneOf(port.mid(3), {1, 2, 3, 4}, line.port);
    line.baudRate = oneOf(store.value(kBaud), {1200, 9600, 19200, 38400}, line.baudRate);
    const QString parity = store.value(kParity);
    if (parity == QLatin1String("N")) line.parity = quorvel::Parity::None;
    if (parity == QLatin1String("E")) line.parity = quorvel::Parity::Even;
    if (parity == QLatin1String("O")) line.parity = quorvel::Parity::Odd;
    line.dataBits = oneOf(store.value(kData), {7, 8}, line.dataBits);
    line.stopBits = oneOf(store.value(kStop), {1, 2}, line.stopBits);
    if (const qsizetype flow = kFlows.indexOf(store.value(kFlow)); flow >= 0)
        line.flow = static_cast<quorvel::FlowControl>(flow);
    bool delayOk = false;
    const int delay = store.value(kDelay).toInt(&delayOk);
    if (delayOk && delay >= 0 && delay <= 1000) s.LineDelay = delay;
    bool ok = false;
    if (const auto format = quorvel::outputFormatNumbered(store.value(kLayout).toInt(&ok));
        ok && format)
        s.OutputFormat = *format;
    Loaded loaded;
    const QString folder = store.value(kFolder);
    const bool there = QFileInfo(folder).isDir();
    s.DefaultPath = QFile::encodeName(there ? folder : homeFolder).toStdString();
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
