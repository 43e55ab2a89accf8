#include "MessageBoxSeam.h"

#include "VeskDisplay.h"

#include <QMessageBox>

namespace kelvanter {

namespace {

constexpr int kAnswerOk = 1;

QMessageBox::Icon iconForStyle(int style) {
    switch (style) {
    case kStyleError:
        return QMessageBox::Critical;
    case kStyleQuestion:
        return QMessageBox::Question;
    case kStyleWarning:
        return QMessageBox::Warning;
    default:
        return QMessageBox::NoIcon;
    }
}

} // namespace

int QtMessageBoxes::show(QWidget* owner, const QString& text, int style, const QString& title) {
    const bool question = style == kStyleQuestion;
    const QMessageBox::StandardButtons buttons = question ? (QMessageBox::Yes | QMessageBox::No) : QMessageBox::Ok;
    QMessageBox box(iconForStyle(style), title.isEmpty() ? kApplicationTitle : title, text, buttons, owner);
    // The first button of a question is its default: Enter answers Yes.
    box.setDefaultButton(question ? QMessageBox::Yes : QMessageBox::Ok);
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
