// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ElidedLabel.h"

#include <QPainter>
#include <QStyle>

ElidedLabel::ElidedLabel(QWidget* parent, int preferredChars)
    : QLabel(parent), m_preferredChars(preferredChars) {
    setTextFormat(Qt::PlainText);
    setWordWrap(false);
}

void ElidedLabel::setText(const QString& text) {
    QLabel::setText(text);
    updateTip();
}

void ElidedLabel::setNote(const QString& note) {
    m_note = note;
    updateTip();
}

int ElidedLabel::room() const {
    return contentsRect().width() - 2 * margin();
}

bool ElidedLabel::elided() const {
    return fontMetrics().horizontalAdvance(text()) > room();
}

QSize ElidedLabel::sizeHint() const {
    const QSize full = QLabel::sizeHint();
    const int most = fontMetrics().averageCharWidth() * m_preferredChars;
    return {std::min(full.width(), most + frameWidth() * 2 + margin() * 2), full.height()};
}

QSize ElidedLabel::minimumSizeHint() const {
    return {fontMetrics().averageCharWidth() * 4 + frameWidth() * 2 + margin() * 2,
            QLabel::minimumSizeHint().height()};
}

void ElidedLabel::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    QPainter painter(this);
    const QRect area = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    const QString shown = fontMetrics().elidedText(text(), Qt::ElideMiddle, area.width());
    style()->drawItemText(&painter, area, QStyle::visualAlignment(layoutDirection(), alignment()),
                          palette(), isEnabled(), shown, foregroundRole());
}

void ElidedLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    updateTip();
}

void ElidedLabel::updateTip() {
    const QString whole = elided() ? text() : QString();
    setToolTip(whole.isEmpty()    ? m_note
               : m_note.isEmpty() ? whole
                                  : whole + QLatin1Char('\n') + m_note);
}
