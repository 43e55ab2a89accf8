#pragma once

class QWidget;

namespace kelvanter {

// Puts the window in the middle of the screen it will appear on.
void centreOnScreen(QWidget& window);

} // namespace kelvanter
