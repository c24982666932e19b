// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The raw data file made from a reception's capture: named after the transfer's first
// job record, in the capture's folder, with a question before an existing file is
// replaced and the save dialog for another name. It tells what to show through signals.

#include <QObject>
#include <QString>
#include <QStringList>
#include <cstdint>

namespace platform {
class Prompts;
}

class RawDataStep : public QObject {
    Q_OBJECT
public:
    enum class Outcome { Written, NotFound, Cancelled, Failed };

    /// What a written raw data file holds.
    struct Written {
        QString rawPath;
        QString job;             // the name its first job record gives
        std::uint64_t lines = 0;  // lines copied
        std::uint64_t jobs = 0;   // job records in it
        QStringList jobNames;     // the first few of them
    };

    explicit RawDataStep(platform::Prompts& prompts, QObject* parent = nullptr);

    /// Makes the raw data file from the closed capture at `capturePath`; `lineCount`
    /// (what the receptions counted) scales the progress. The capture is deleted only
    /// once the raw data file is complete and in place.
    Outcome run(const QString& capturePath, std::int64_t lineCount);

signals:
    /// The raw data file's name as the step decides it: from the job record, then each
    /// name chosen in the save dialog. On Cancel the capture's name, which keeps the download.
    void named(const QString& path);
    /// The copy's progress: 0 of `maximum` at the start, then each step.
    void progressed(int value, int maximum);
    void progressShown(bool shown);
    void written(const RawDataStep::Written& result);
    /// The step ended without a raw data file (every outcome but a written one).
    void ended();
    void problem(const QString& text);

private:
    Outcome write(const QString& capturePath, std::int64_t lineCount);

    platform::Prompts& m_prompts;
};
