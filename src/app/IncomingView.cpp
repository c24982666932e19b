// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/IncomingView.h"

#include <QFontDatabase>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

#include "core/incoming.h"

IncomingView::IncomingView(QWidget* parent)
    : QWidget(parent),
      lblWarning(new QLabel(this)),
      txtIncoming(new QPlainTextEdit(this)),
      m_flush(new QTimer(this)) {
    setObjectName(QStringLiteral("IncomingView"));
    lblWarning->setObjectName(QStringLiteral("lblWarning"));
    lblWarning->setWordWrap(true);
    lblWarning->setStyleSheet(QStringLiteral("QLabel { color: #b00020; font-weight: bold; }"));
    lblWarning->hide();
    txtIncoming->setObjectName(QStringLiteral("txtIncoming"));
    txtIncoming->setAccessibleName(QStringLiteral("Incoming data"));
    txtIncoming->setReadOnly(true);
    txtIncoming->setUndoRedoEnabled(false);
    txtIncoming->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtIncoming->setMaximumBlockCount(kLines);
    txtIncoming->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    const int row = txtIncoming->fontMetrics().lineSpacing();
    txtIncoming->setMinimumHeight(row * 6);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(4, 2, 4, 4);
    column->addWidget(lblWarning);
    column->addWidget(txtIncoming, 1);
    m_flush->setSingleShot(true);
    m_flush->setInterval(100);
    connect(m_flush, &QTimer::timeout, this, &IncomingView::flush);
}

QString IncomingView::text() const {
    return txtIncoming->toPlainText();
}

QString IncomingView::warning() const {
    return lblWarning->isHidden() ? QString() : lblWarning->text();
}

void IncomingView::clear() {
    m_flush->stop();
    m_pending.clear();
    m_skipped = 0;
    m_afterCr = false;
    txtIncoming->clear();
    lblWarning->clear();
    lblWarning->hide();
}

void IncomingView::append(const QByteArray& chunk) {
    m_pending += chunk;
    // Nobody reads faster than this: of a burst, only its newest bytes are drawn.
    if (m_pending.size() > kTail) {
        m_skipped += m_pending.size() - kTail;
        m_pending.remove(0, m_pending.size() - kTail);
    }
    if (!m_flush->isActive()) m_flush->start();
}

void IncomingView::showWarning(const QString& text) {
    lblWarning->setText(text);
    lblWarning->show();
}

void IncomingView::flush() {
    m_flush->stop();
    if (m_pending.isEmpty()) return;
    std::string shown;
    if (m_skipped > 0) {
        shown = "\n[" + quorvel::groupedNumber(quint64(m_skipped)) + " bytes not shown]\n";
        m_afterCr = false;
    }
    quorvel::appendVisible(shown, std::string_view(m_pending.constData(), size_t(m_pending.size())),
                           m_afterCr);
    m_pending.clear();
    m_skipped = 0;
    QScrollBar* bar = txtIncoming->verticalScrollBar();
    const bool following = bar->value() == bar->maximum();
    const int kept = bar->value();
    QTextCursor end(txtIncoming->document());
    end.movePosition(QTextCursor::End);
    end.insertText(QString::fromLatin1(shown.data(), qsizetype(shown.size())));
    bar->setValue(following ? bar->maximum() : kept);
}
