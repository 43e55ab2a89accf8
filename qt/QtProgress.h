#pragma once

#include "window/ControlTable.h"
#include "window/ProgressPort.h"

class QLabel;
class QTimer;
class QWidget;

namespace kelvanter {

class MessageBoxSeam;
class PictureBox;

// A run's progress in a Qt window: the bar with its percent, the two times with their headings
// and their timer, made from the window's design, and the window's pointer and boxes.
class QtProgress final : public ProgressPort {
public:
    QtProgress(QWidget& window, MessageBoxSeam& boxes, const ProgressRowDesign& design);

    void setPercentCaption(const std::string& caption) override;
    void setBarBackground(std::uint32_t lColor) override;
    void showProgressBar(std::int32_t lValue, std::uint32_t lColor, double dMaxValue) override;
    void setTimerRunning(bool running) override;
    std::string elapsedCaption() const override;
    void setElapsedCaption(const std::string& text) override;
    void setEstimateCaption(const std::string& text) override;
    void setMousePointer(int code) override;
    void processEvents() override;
    int messageBox(const std::string& text, int style, const std::string& title) override;

    PictureBox* Picture1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label7 = nullptr;
    QTimer* Timer1 = nullptr;

private:
    QWidget& window_;
    MessageBoxSeam& boxes_;
};

} // namespace kelvanter
