#pragma once

#include "qt/QtProgress.h"
#include "window/FreeSpaceFlow.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace kelvanter {

class MessageBoxSeam;
class PictureBox;
class ShapeFrame;

// Chooses a folder; the seam, so that tests can answer it.
class FolderDialogSeam {
public:
    virtual ~FolderDialogSeam() = default;
    virtual QString chooseFolder(QWidget* owner, const QString& title, const QString& start) = 0;
};

class QtFolderDialogs final : public FolderDialogSeam {
public:
    QString chooseFolder(QWidget* owner, const QString& title, const QString& start) override;
};

// The window that overwrites a file system's free space, in the main window's look; its
// commands are FreeSpaceFlow's.
class frmFreierSpeicher : public QWidget, public FreeSpacePort {
    Q_OBJECT
public:
    frmFreierSpeicher(MessageBoxSeam& boxes, FolderDialogSeam& folders, FillServices& files, ProcessServices& process,
                      Clock& clock);

    // At the program's start, once the window is shown: removes what killed fills left behind.
    void Form_Load() { cleanUpKilledFills(files_, process_, progress_); }
    FreeSpaceFlow& flow() { return flow_; }
    QtProgress& progress() { return progress_; }

    // FreeSpacePort
    std::string folderText() const override;
    void setFolderText(const std::string& text) override;
    void setFileSystemCaption(const std::string& text) override;
    void setRunning(bool running, bool startEnabled) override;
    std::string chooseFolder(const std::string& title, const std::string& start) override;

    QLabel* Label2 = nullptr;
    QLineEdit* Fname = nullptr;
    QPushButton* Command1 = nullptr;
    QLabel* Label8 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command5 = nullptr;
    ShapeFrame* Shape1 = nullptr;

protected:
    // Closing mid-run cancels the run; the window goes once its fill files are deleted.
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();

    FolderDialogSeam& folders_;
    FillServices& files_;
    ProcessServices& process_;
    QtProgress progress_;
    FreeSpaceFlow flow_;
    bool closeWhenDone_ = false;
};

} // namespace kelvanter
