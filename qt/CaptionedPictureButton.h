#pragma once

#include <QToolButton>

namespace kelvanter {

// A button with its picture above its caption that, like every button of this program, is
// pressed by Enter as well as by the space bar while it has the focus.
class CaptionedPictureButton : public QToolButton {
    Q_OBJECT
public:
    using QToolButton::QToolButton;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace kelvanter
