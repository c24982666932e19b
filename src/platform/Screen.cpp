// SPDX-License-Identifier: GPL-3.0-or-later
#include "Screen.h"

#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <algorithm>

namespace platform {

void fitOnScreen(QWidget* window) {
    QScreen* screen = window->screen();
    if (screen == nullptr) return;
    const QRect area = screen->availableGeometry();
    // The desktop's frame is known once the window is on screen; before, room for a
    // title bar and borders.
    QMargins frame(4, 32, 4, 4);
    if (window->isVisible() && window->windowHandle() != nullptr) {
        const QMargins real = window->windowHandle()->frameMargins();
        if (!real.isNull()) frame = real;
    }
    const QSize most(area.width() - frame.left() - frame.right(),
                     area.height() - frame.top() - frame.bottom());
    const QSize size = window->size().boundedTo(most).expandedTo(window->minimumSize());
    if (size != window->size()) window->resize(size);
    // Where the desktop places the window it keeps it on the screen; a place the
    // program chose is kept inside here.
    if (!window->testAttribute(Qt::WA_Moved)) return;
    const QSize outer = size.grownBy(frame);
    const QPoint at(std::clamp(window->x(), area.left(),
                               std::max(area.left(), area.right() + 1 - outer.width())),
                    std::clamp(window->y(), area.top(),
                               std::max(area.top(), area.bottom() + 1 - outer.height())));
    if (at != window->pos()) window->move(at);
}

}  // namespace platform
