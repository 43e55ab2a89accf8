#pragma once

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
    frmFreierSpeicher(MessageBoxSeam& boxes, FolderDialogSeam& folders, FileServices& files, Clock& clock);

    FreeSpaceFlow& flow() { return flow_; }

    // FreeSpacePort
    std::string folderText() const override;
    void setFolderText(const std::string& text) override;
    void setFileSystemCaption(const std::string& text) override;
    void setRunning(bool running, bool startEnabled) override;
    void setTimerRunning(bool running) override;
    std::string elapsedCaption() const override;
    void setElapsedCaption(const std::string& text) override;
    void setEstimateCaption(const std::string& text) override;
    void setPercentCaption(const std::string& text) override;
    void setBarBackground(std::uint32_t lColor) override;
    void showProgressBar(std::int32_t lValue, std::uint32_t lColor, double dMaxValue) override;
    void processEvents() override;
    void setMousePointer(int code) override;
    std::string chooseFolder(const std::string& title, const std::string& start) override;
    int messageBox(const std::string& text, int style, const std::string& title) override;

    QLabel* Label2 = nullptr;
    QLineEdit* Fname = nullptr;
    QPushButton* Command1 = nullptr;
    QLabel* Label8 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command5 = nullptr;
    PictureBox* Picture1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label7 = nullptr;
    ShapeFrame* Shape1 = nullptr;
    QTimer* Timer1 = nullptr;

protected:
    // Closing mid-run cancels the run; the window goes once its fill files are deleted.
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();

    MessageBoxSeam& boxes_;
    FolderDialogSeam& folders_;
    FreeSpaceFlow flow_;
    bool closeWhenDone_ = false;
};

} // namespace kelvanter
