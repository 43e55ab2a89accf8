#include "qt/PictureBoxAccessible.h"

#include "qt/PictureBox.h"

#include <QAccessibleWidget>
#include <QLabel>
#include <mutex>

namespace kelvanter {

namespace {

class PictureBoxAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit PictureBoxAccessible(QWidget* box) : QAccessibleWidget(box, QAccessible::ProgressBar) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Value)
            return percentText();
        return QAccessibleWidget::text(kind);
    }

    QVariant currentValue() const override { return percentText().section(' ', 0, 0).toInt(); }
    void setCurrentValue(const QVariant&) override {} // shown, never set by the user
    QVariant maximumValue() const override { return 100; }
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return 1; }

private:
    // The percent label inside the bar, "42 %".
    QString percentText() const {
        const auto* label = widget()->findChild<QLabel*>(QString(), Qt::FindDirectChildrenOnly);
        return label != nullptr ? label->text() : QString();
    }
};

QAccessibleInterface* pictureBoxFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("kelvanter::PictureBox") && object->isWidgetType())
        return new PictureBoxAccessible(static_cast<QWidget*>(object));
    return nullptr;
}

} // namespace

void installPictureBoxAccessibility() {
    static std::once_flag installed;
    std::call_once(installed, [] { QAccessible::installFactory(pictureBoxFactory); });
}

} // namespace kelvanter
