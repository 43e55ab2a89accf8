#include "qt/MessageBoxSeam.h"
#include "window/BoxStyles.h"
#include "window/Palette.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace kelvanter::testing {
namespace {

// Shows a real box and, once it is up, hands it to `inspect`, which must close it.
int showAndInspect(int style, const QString& title, const std::function<void(QMessageBox&)>& inspect,
                   QWidget* owner = nullptr) {
    QTimer::singleShot(0, [inspect] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        inspect(*box);
    });
    QtMessageBoxes boxes;
    return boxes.show(owner, "Text", style, title);
}

TEST(QtMessageBoxes, AQuestionSpeaksGermanAndEnterAnswersYes) {
    const int answer = showAndInspect(kStyleQuestion, "Kelvanter - Kontrollabfrage", [](QMessageBox& box) {
        EXPECT_EQ(box.windowTitle(), "Kelvanter - Kontrollabfrage");
        EXPECT_EQ(box.icon(), QMessageBox::Question);
        EXPECT_EQ(box.button(QMessageBox::Yes)->text().remove('&'), "Ja");
        EXPECT_EQ(box.button(QMessageBox::No)->text().remove('&'), "Nein");
        EXPECT_EQ(box.defaultButton(), box.button(QMessageBox::Yes));
        QTest::keyClick(&box, Qt::Key_Return);
    });
    EXPECT_EQ(answer, kAnswerYes);
}

TEST(QtMessageBoxes, AWarningQuestionDefaultsToNoSoEnterDoesNotGoOn) {
    const int answer = showAndInspect(kStyleWarningQuestion, "Kelvanter - Nachricht", [](QMessageBox& box) {
        EXPECT_EQ(box.icon(), QMessageBox::Warning);
        EXPECT_EQ(box.buttons().size(), 2);
        EXPECT_EQ(box.defaultButton(), box.button(QMessageBox::No));
        QTest::keyClick(&box, Qt::Key_Return);
    });
    EXPECT_EQ(answer, kAnswerNo);
}

TEST(QtMessageBoxes, NoAndEscapeAnswerSeven) {
    EXPECT_EQ(showAndInspect(kStyleQuestion, "t", [](QMessageBox& box) { box.button(QMessageBox::No)->click(); }),
              kAnswerNo);
    EXPECT_EQ(showAndInspect(kStyleQuestion, "t", [](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Escape); }),
              kAnswerNo);
}

TEST(QtMessageBoxes, StylesMapToIconsWithASingleOkButton) {
    struct Case {
        int style;
        QMessageBox::Icon icon;
    };
    for (const Case c : {Case{kStyleOkOnly, QMessageBox::NoIcon}, Case{kStyleError, QMessageBox::Critical},
                         Case{kStyleWarning, QMessageBox::Warning}}) {
        showAndInspect(c.style, "t", [c](QMessageBox& box) {
            EXPECT_EQ(box.icon(), c.icon) << c.style;
            ASSERT_EQ(box.buttons().size(), 1);
            EXPECT_EQ(box.buttons()[0]->text().remove('&'), "OK");
            box.buttons()[0]->click();
        });
    }
}

TEST(QtMessageBoxes, ABoxOwnedByTheDisabledMainWindowCanStillBeAnswered) {
    // The boxes at the end of a run come while the main window is still disabled.
    QWidget owner;
    owner.show();
    owner.setEnabled(false);
    bool usable = false;
    showAndInspect(
        kStyleError, "t",
        [&usable](QMessageBox& box) {
            usable = box.isEnabled() && box.buttons()[0]->isEnabled();
            QTest::keyClick(&box, Qt::Key_Return);
        },
        &owner);
    EXPECT_TRUE(usable);
}

TEST(QtMessageBoxes, ABoxWithoutTitleShowsTheApplicationsTitle) {
    showAndInspect(kStyleOkOnly, "", [](QMessageBox& box) {
        EXPECT_EQ(box.windowTitle(), "Kelvanter");
        box.buttons()[0]->click();
    });
}

} // namespace
} // namespace kelvanter::testing
