#include "qt/CaptionedPictureButton.h"

#include <QKeyEvent>

namespace kelvanter {

void CaptionedPictureButton::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        animateClick();
        return;
    }
    QToolButton::keyPressEvent(event);
}

} // namespace kelvanter
