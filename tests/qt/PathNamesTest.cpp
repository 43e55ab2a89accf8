// Names that are not UTF-8, through the real Qt window: a drop and the dialog's text.
#include "qt/PictureBox.h"
#include "support/WindowFixture.h"

#include <QCoreApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

namespace kelvanter::testing {
namespace {

const std::string kUndecodable = "geheim-\xE4.txt";         // a Latin-1 "ä" from an old archive
const std::string kReplacement = "geheim-\xEF\xBF\xBD.txt"; // a real U+FFFD

class PathNames : public WindowFixture {
protected:
    // Drops the files onto the window, as a file manager would, by their URLs' bytes.
    void drop(const std::vector<std::string>& paths) {
        QList<QUrl> urls;
        for (const std::string& path : paths)
            urls << QUrl::fromEncoded("file://" + QByteArray::fromStdString(path).toPercentEncoding("/"));
        QMimeData data;
        data.setUrls(urls);
        const QPointF middle(window.width() / 2.0, window.height() / 2.0);
        QDragEnterEvent enter(middle.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&window, &enter);
        ASSERT_TRUE(enter.isAccepted());
        QDropEvent dropped(middle, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&window, &dropped);
    }
};

// Two names that look alike as text: a drop of one destroys only it, a drop of several takes
// each by its bytes, under one question, with one account; a file beside them stays whole.
TEST_F(PathNames, DroppedFilesAreTakenByTheirBytesAndOnlyTheyAreDestroyed) {
    const std::string target = writeSample(folder.file(kUndecodable), 5000);
    const std::string other = writeSample(folder.file(kReplacement), 700);
    drop({target});
    EXPECT_EQ(window.Fname->text(), QString::fromStdString(folder.file("geheim-\uFFFD.txt")));
    EXPECT_TRUE(window.Command2->isEnabled());
    EXPECT_TRUE(boxes.shown.empty()) << "nothing happens before the destroy click";
    window.Command2_Click();
    EXPECT_FALSE(entryExists(target));
    EXPECT_EQ(readBytes(other), sampleBytes(700));
    EXPECT_TRUE(window.Label3->isVisibleTo(&window));

    const std::string again = writeSample(folder.file(kUndecodable), 3000);
    const std::string bystander = writeSample(folder.file("daneben.txt"), 900);
    boxes.shown.clear();
    drop({again, other});
    EXPECT_EQ(window.Fname->text(), QString::fromUtf8("2 Dateien: geheim-\uFFFD.txt, geheim-\uFFFD.txt"));
    window.Command2_Click();
    EXPECT_FALSE(entryExists(again));
    EXPECT_FALSE(entryExists(other));
    EXPECT_EQ(readBytes(bystander), sampleBytes(900));
    ASSERT_EQ(boxes.shown.size(), 2u) << "one question and one account";
    EXPECT_EQ(boxes.shown[1].text, QString::fromUtf8("Von 2 Dateien sind 2 zerstört."));
    EXPECT_TRUE(window.Label3->isVisibleTo(&window));
}

TEST_F(PathNames, TheDialogsTextFindsALoneUndecodableNameAndRefusesWhereTwoLookAlike) {
    const std::string target = writeSample(folder.file(kUndecodable), 5000);
    const QString shown = QString::fromStdString(folder.file("geheim-\uFFFD.txt"));
    dialogs.choices = {shown};
    window.Command1_Click();
    window.Command2_Click();
    EXPECT_FALSE(entryExists(target)) << "alone in its folder, the file can be destroyed";

    const std::string again = writeSample(folder.file(kUndecodable), 5000);
    const std::string other = writeSample(folder.file(kReplacement), 700);
    boxes.shown.clear();
    dialogs.choices = {shown};
    window.Command1_Click();
    window.Command2_Click();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(boxes.shown[0].text.startsWith("Der Name der Datei " + shown + " lässt sich nicht"));
    EXPECT_EQ(readBytes(again), sampleBytes(5000));
    EXPECT_EQ(readBytes(other), sampleBytes(700));
}

} // namespace
} // namespace kelvanter::testing
