// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A one-line label that never asks for the width of its text, so that a long path
// cannot widen its window: it shows what fits, elided in the middle, and the whole
// text as its tooltip.

#include <QLabel>

class ElidedLabel final : public QLabel {
    Q_OBJECT
public:
    /// `preferredChars`: the width it asks for when there is room, in average characters.
    explicit ElidedLabel(QWidget* parent = nullptr, int preferredChars = 40);

    void setText(const QString& text);
    /// A tooltip of its own, shown after the whole text when that is cut.
    void setNote(const QString& note);
    /// Whether the text is shown cut.
    bool elided() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void updateTip();
    int room() const;

    int m_preferredChars;
    QString m_note;
};
