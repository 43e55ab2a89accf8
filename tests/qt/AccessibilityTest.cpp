// What a screen reader is told of each control of the main window.
#include "qt/PictureBox.h"
#include "support/WindowFixture.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QPushButton>

namespace kelvanter::testing {
namespace {

using Accessibility = WindowFixture;

QAccessibleInterface* accessible(QWidget* widget) {
    return QAccessible::queryAccessibleInterface(widget);
}

TEST_F(Accessibility, EveryControlHasANameAndTheRoleOfWhatItIs) {
    struct Case {
        QWidget* control;
        QAccessible::Role role;
        QString name;
    };
    const std::vector<Case> cases = {
        {window.Fname, QAccessible::EditableText, "Zu zerstörende Datei auswählen:"},
        {window.Command1, QAccessible::Button, "Durchsuchen"},
        {window.Command2, QAccessible::Button, "Datei zerstören"},
        {window.progress().Picture1, QAccessible::ProgressBar, "Fortschritt"},
        {window.Option1[0], QAccessible::RadioButton, "normal"},
        {window.Option1[1], QAccessible::RadioButton, "intensiv"},
        {window.Command3, QAccessible::Button, "Info"},
        {window.Command4, QAccessible::Button, "Beenden"},
        {window.Label2, QAccessible::StaticText, "Zu zerstörende Datei auswählen:"},
        {window.progress().Label4, QAccessible::StaticText, "00:00:00"},
        {window.progress().Label6, QAccessible::StaticText, "Time Elapsed:"},
    };
    for (const Case& c : cases) {
        QAccessibleInterface* control = accessible(c.control);
        ASSERT_NE(control, nullptr) << c.control->objectName().toStdString();
        EXPECT_EQ(control->role(), c.role) << c.control->objectName().toStdString();
        EXPECT_EQ(control->text(QAccessible::Name), c.name) << c.control->objectName().toStdString();
    }
    // No control that takes the focus may be nameless.
    for (QWidget* child : window.findChildren<QWidget*>()) {
        if (child->focusPolicy() != Qt::NoFocus && child->isVisible()) {
            EXPECT_FALSE(accessible(child)->text(QAccessible::Name).isEmpty()) << child->objectName().toStdString();
        }
    }
}

TEST_F(Accessibility, TheBarIsAProgressBarWhoseValueIsThePercent) {
    window.progress().setPercentCaption("42 %");
    QAccessibleValueInterface* value = accessible(window.progress().Picture1)->valueInterface();
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->currentValue().toInt(), 42);
    EXPECT_EQ(value->minimumValue().toInt(), 0);
    EXPECT_EQ(value->maximumValue().toInt(), 100);
    EXPECT_EQ(accessible(window.progress().Picture1)->text(QAccessible::Value), "42 %");
}

TEST_F(Accessibility, TheSuccessLabelIsReadOnlyWhileItIsShown) {
    EXPECT_TRUE(accessible(window.Label3)->state().invisible);
    window.setSuccessLabelVisible(true);
    EXPECT_FALSE(accessible(window.Label3)->state().invisible);
    EXPECT_EQ(accessible(window.Label3)->text(QAccessible::Name), "Datei wurde zerstört !");
}

} // namespace
} // namespace kelvanter::testing
