#pragma once
// Answers the real modal dialogs that a click opens: arm it before the click, and it
// presses a button of each modal window as it appears, recording what was shown.

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>

class QWidget;

namespace testing_support {

class ModalAnswerer : public QObject {
    Q_OBJECT
public:
    /// What to do with a modal window: return true when it was handled.
    using Handler = std::function<bool(QWidget* modal)>;

    ModalAnswerer();
    ~ModalAnswerer() override;

    /// Queue an answer for the next message box: the button whose text (ampersands
    /// removed) equals `button`.
    void pressButton(const QString& button);
    /// Queue a custom handler for the next modal window.
    void handleNext(Handler handler);

    /// Window titles and texts of the message boxes answered, in order.
    QStringList titles;
    QStringList texts;
    /// Modal windows that appeared with no queued answer (then closed with Escape).
    int unexpected = 0;
    int pending() const { return static_cast<int>(m_queue.size()); }

private:
    void poll();
    QTimer m_timer;
    std::vector<Handler> m_queue;
};

/// Chooses `path` in a real file dialog and accepts it. The dialog's folder model
/// loads in the background and refuses the choice until it has, so this retries.
void chooseFile(QWidget* fileDialog, const QString& path);

/// Waits (processing events) until `condition` holds or `ms` pass.
bool waitFor(const std::function<bool()>& condition, int ms = 5000);

}  // namespace testing_support
