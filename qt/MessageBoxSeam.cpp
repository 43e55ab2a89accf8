#include "qt/MessageBoxSeam.h"

#include "window/BoxStyles.h"

#include <QMessageBox>

namespace kelvanter {

namespace {

// The style word's parts: buttons in the low four bits, the icon above them, then the default button.
constexpr int kButtonBits = 0x0F;
constexpr int kIconBits = 0xF0;
constexpr int kButtonsYesNo = 4;
constexpr int kSecondButtonDefault = 256;

QMessageBox::Icon iconForStyle(int style) {
    switch (style & kIconBits) {
    case kStyleError:
        return QMessageBox::Critical;
    case kStyleQuestion& kIconBits:
        return QMessageBox::Question;
    case kStyleWarning:
        return QMessageBox::Warning;
    default:
        return QMessageBox::NoIcon;
    }
}

} // namespace

int QtMessageBoxes::show(QWidget* owner, const QString& text, int style, const QString& title) {
    const bool question = (style & kButtonBits) == kButtonsYesNo;
    const QMessageBox::StandardButtons buttons = question ? (QMessageBox::Yes | QMessageBox::No) : QMessageBox::Ok;
    QMessageBox box(iconForStyle(style), title.isEmpty() ? kApplicationTitle : title, text, buttons, owner);
    // A question's first button is its default unless the style names the second: Enter answers that.
    if (question)
        box.setDefaultButton((style & kSecondButtonDefault) ? QMessageBox::No : QMessageBox::Yes);
    else
        box.setDefaultButton(QMessageBox::Ok);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return kAnswerYes;
    case QMessageBox::No:
        return kAnswerNo;
    default:
        return question ? kAnswerNo : kAnswerOk;
    }
}

} // namespace kelvanter
