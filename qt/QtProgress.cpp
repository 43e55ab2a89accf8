#include "qt/QtProgress.h"

#include "qt/MessageBoxSeam.h"
#include "qt/PictureBox.h"
#include "qt/QtControls.h"
#include "qt/QtDesign.h"
#include "window/Palette.h"
#include "window/ProgressBarGeometry.h"

#include <QCoreApplication>
#include <QLabel>
#include <QTimer>

namespace kelvanter {

namespace {

void setCaption(QLabel* label, const std::string& caption) {
    label->setText(QString::fromStdString(caption));
    label->adjustSize();
}

} // namespace

QtProgress::QtProgress(QWidget& window, MessageBoxSeam& boxes, const ProgressRowDesign& design)
    : window_(window), boxes_(boxes) {
    Picture1 = named(new PictureBox(&window), design.Picture1);
    Picture1->setGeometry(twipsRect(design.Picture1.rect));
    Picture1->setBackColor(design.Picture1.backColor);
    Picture1->setAccessibleName(design.Picture1.accessibleName);
    // Centred over the whole bar, so the percentage stays in the middle however wide it grows.
    Label1 = makeLabel(Picture1, design.Label1);
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setGeometry(Picture1->drawingArea());
    Label4 = makeLabel(&window, design.Label4);
    Label5 = makeLabel(&window, design.Label5);
    Label6 = makeLabel(&window, design.Label6);
    Label7 = makeLabel(&window, design.Label7);
    Timer1 = new QTimer(&window);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(design.timerIntervalMs);
}

void QtProgress::setPercentCaption(const std::string& caption) {
    Label1->setText(QString::fromStdString(caption));
}

void QtProgress::setBarBackground(std::uint32_t lColor) {
    Picture1->setBackColor(lColor);
}

void QtProgress::showProgressBar(std::int32_t lValue, std::uint32_t lColor, double dMaxValue) {
    drawProgressBar(*Picture1, lValue, lColor, dMaxValue);
}

void QtProgress::setTimerRunning(bool running) {
    if (running)
        Timer1->start();
    else
        Timer1->stop();
}

std::string QtProgress::elapsedCaption() const {
    return Label4->text().toStdString();
}

void QtProgress::setElapsedCaption(const std::string& text) {
    setCaption(Label4, text);
}

void QtProgress::setEstimateCaption(const std::string& text) {
    setCaption(Label5, text);
}

void QtProgress::setMousePointer(int code) {
    if (code == kPointerHourglass)
        window_.setCursor(Qt::WaitCursor);
    else
        window_.unsetCursor();
}

void QtProgress::processEvents() {
    QCoreApplication::processEvents();
}

int QtProgress::messageBox(const std::string& text, int style, const std::string& title) {
    return boxes_.show(&window_, QString::fromStdString(text), style, QString::fromStdString(title));
}

} // namespace kelvanter
