// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Windows open inside the screen's available area, whatever the scale: a window
// larger than the screen would hide its own buttons.

class QWidget;

namespace platform {

/// Shrinks `window` to the available area of its screen (leaving room for the
/// desktop's frame) and moves it inside where it was placed outside. Called as it
/// is shown.
void fitOnScreen(QWidget* window);

}  // namespace platform
