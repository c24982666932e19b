// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Message boxes and the file-open dialog. The windows ask through this interface so
// that tests can answer in their place; QtDialogs shows the real ones.

#include <QString>
#include <optional>

class QWidget;

namespace platform {

enum class Icon { None, Critical, Question };
enum class Buttons { Ok, OkCancel, YesNo };
enum class Answer { Ok, Cancel, Yes, No };

class Dialogs {
public:
    virtual ~Dialogs() = default;
    /// A modal message box. `text` joins its lines with a carriage return alone.
    /// `defaultAnswer` names the default button of a two-button box.
    virtual Answer message(const QString& text, Icon icon, Buttons buttons, const QString& caption,
                           Answer defaultAnswer = Answer::Ok) = 0;
    /// The modal file-open dialog, opening in `folder`. `filter` lists name|pattern pairs
    /// separated by "|". Returns the chosen file's full path, or nothing when the user
    /// cancelled.
    virtual std::optional<QString> showOpen(const QString& filter, const QString& title,
                                            const QString& folder) = 0;
    /// The modal save-file dialog, for a file that may not exist yet: it opens on
    /// `proposed` (a folder and a file name) and asks nothing about replacing, as the
    /// caller asks itself. Returns the chosen full path, or nothing on Cancel.
    virtual std::optional<QString> showSave(const QString& filter, const QString& title,
                                            const QString& proposed) = 0;
};

/// The real dialogs, parented to `parent` (the main window).
class QtDialogs final : public Dialogs {
public:
    explicit QtDialogs(QWidget* parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget* parent) { m_parent = parent; }

    Answer message(const QString& text, Icon icon, Buttons buttons, const QString& caption,
                   Answer defaultAnswer = Answer::Ok) override;
    std::optional<QString> showOpen(const QString& filter, const QString& title,
                                    const QString& folder) override;
    std::optional<QString> showSave(const QString& filter, const QString& title,
                                    const QString& proposed) override;

    /// "A (*.x)|*.x|All Files(*.*)|*.*" in the dialog's own filter syntax.
    static QString toNameFilters(const QString& filter);
    /// What the message box shows: each carriage return becomes a line break.
    static QString displayText(const QString& text);

private:
    QWidget* m_parent;
};

}  // namespace platform
