#pragma once

#include <QWidget>
#include <cstdint>

namespace kelvanter {

// A rectangle outline with a filled inside, drawn behind the other controls.
class ShapeFrame : public QWidget {
    Q_OBJECT
public:
    ShapeFrame(std::uint32_t borderColor, std::uint32_t fillColor, int borderWidth, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::uint32_t borderColor_;
    std::uint32_t fillColor_;
    int borderWidth_;
};

} // namespace kelvanter
