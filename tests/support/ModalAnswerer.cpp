#include "ModalAnswerer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>

namespace testing_support {

ModalAnswerer::ModalAnswerer() {
    m_timer.setInterval(20);
    connect(&m_timer, &QTimer::timeout, this, &ModalAnswerer::poll);
    m_timer.start();
}

ModalAnswerer::~ModalAnswerer() {
    m_timer.stop();
}

void ModalAnswerer::pressButton(const QString& button) {
    handleNext([this, button](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (box == nullptr) return false;
        titles << box->windowTitle();
        texts << box->text();
        for (QAbstractButton* b : box->buttons()) {
            if (b->text().remove(QLatin1Char('&')) == button) {
                QTimer::singleShot(0, b, &QAbstractButton::click);
                return true;
            }
        }
        return false;
    });
}

void ModalAnswerer::handleNext(Handler handler) {
    m_queue.push_back(std::move(handler));
}

void ModalAnswerer::poll() {
    QWidget* modal = QApplication::activeModalWidget();
    // A box on the same address as an earlier one is a new box: mark what was seen.
    if (modal == nullptr || !modal->isVisible() || modal->property("answered").toBool()) return;
    modal->setProperty("answered", true);
    if (!m_queue.empty()) {
        Handler handler = m_queue.front();
        m_queue.erase(m_queue.begin());
        if (handler(modal)) return;
    }
    // Nothing queued, or the handler could not cope: close it so no test hangs.
    ++unexpected;
    if (auto* dialog = qobject_cast<QDialog*>(modal)) {
        QTimer::singleShot(0, dialog, &QDialog::reject);
    } else {
        QTimer::singleShot(0, modal, &QWidget::close);
    }
}

void chooseFile(QWidget* fileDialog, const QString& path) {
    auto* dialog = qobject_cast<QFileDialog*>(fileDialog);
    if (dialog == nullptr) return;
    const QFileInfo info(path);
    dialog->setDirectory(info.absolutePath());
    auto* retry = new QTimer(dialog);  // dies with the dialog
    retry->setInterval(50);
    QObject::connect(retry, &QTimer::timeout, dialog, [dialog, info] {
        if (!dialog->isVisible()) return;
        // Type the name as a user would; the dialog takes it once its folder is read.
        if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
            name->setText(info.fileName());
        QMetaObject::invokeMethod(dialog, "accept");
    });
    retry->start();
}

bool waitFor(const std::function<bool()>& condition, int ms) {
    QDeadlineTimer deadline(ms);
    while (!condition()) {
        if (deadline.hasExpired()) return false;
        QTest::qWait(10);
    }
    return true;
}

}  // namespace testing_support
