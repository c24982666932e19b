// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The text a reception receives, shown as it arrives: line ends as line breaks,
// control bytes as tokens, the last few thousand lines, following the end unless
// the user scrolled up. Chunks are gathered and drawn a few times a second, and at
// most the newest kTail bytes of a burst, so that a fast line never waits for it.

#include <QByteArray>
#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QTimer;

class IncomingView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kLines = 5000;
    static constexpr qsizetype kTail = 16 * 1024;

    explicit IncomingView(QWidget* parent = nullptr);

    /// The text on display (for tests: after flush()).
    QString text() const;
    QString warning() const;

public slots:
    void clear();
    void append(const QByteArray& chunk);
    void showWarning(const QString& text);
    /// Draws what is waiting now.
    void flush();

private:
    QLabel* lblWarning;
    QPlainTextEdit* txtIncoming;
    QTimer* m_flush;
    QByteArray m_pending;
    qint64 m_skipped = 0;  // bytes of the burst not drawn
    bool m_afterCr = false;
};
