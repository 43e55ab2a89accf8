#pragma once

#include "platform/Clock.h"
#include "platform/FileServices.h"
#include "qt/QtProgress.h"
#include "qt/StdDialoge.h"
#include "qt/frmFreierSpeicher.h"
#include "window/FreeSpaceFlow.h"
#include "window/VeskFlow.h"
#include "window/VeskPort.h"

#include <QWidget>
#include <array>
#include <cstdint>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTimer;

namespace kelvanter {

class CaptionedPictureButton;
class MessageBoxSeam;
class PictureBox;
class ShapeFrame;
class frmKelvanterInfo;

// The main window in Qt: its controls, and the toolkit's side of the commands, whose flow is
// VeskFlow's. It is also where the bar is drawn (O_ShowProgressBar).
class frmVesk : public QWidget, public VeskPort {
    Q_OBJECT
public:
    frmVesk(MessageBoxSeam& boxes, FileDialogSeam& dialogs, DestructionServices& files, FillServices& fill,
            ProcessServices& process, Clock& clock, FileTraces& traces = noTraces(),
            FolderDialogSeam& folders = systemFolderDialogs());
    ~frmVesk() override;

    void O_ShowProgressBar(PictureBox* pPicBox, std::int32_t lValue, std::uint32_t lColor, double dMaxValue);

    // At the program's start, once the window is shown: removes what killed fills left behind.
    void Form_Load() { cleanUpKilledFills(fill_, process_, progress_); }
    void Command1_Click() { flow_.Command1_Click(); }
    void Command2_Click() { flow_.Command2_Click(); }
    void Command3_Click();
    void Command4_Click();
    void Timer1_Timer() { flow_.Timer1_Timer(); }

    VeskFlow& flow() { return flow_; }
    QtProgress& progress() { return progress_; }
    frmKelvanterInfo* infoWindow() const { return infoWindow_; }
    frmFreierSpeicher* freeSpaceWindow() const { return freeSpaceWindow_; }

    // VeskPort
    void setWindowEnabled(bool enabled) override;
    bool isOptionSelected(int index) const override;
    void setSuccessLabelVisible(bool visible) override;
    std::string executableName() const override;
    std::string pathBoxText() const override;
    void setPathText(const std::string& text) override;
    void setDestroyEnabled(bool enabled) override;
    void setPathToolTip(const std::string& text) override;
    void showFileAtHand(const std::string& name) override;
    void openFreeSpaceWindow(const std::string& folder) override;
    std::vector<std::string> ShowOpenDialog(const std::string& sTitle, std::string& sFolder,
                                            const std::string& sInitFile, const std::string& sFilter,
                                            const std::string& sDefExt) override;

    QLineEdit* Fname = nullptr;
    QPushButton* Command1 = nullptr;
    CaptionedPictureButton* Command2 = nullptr;
    QPushButton* Command3 = nullptr;
    QPushButton* Command4 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    std::array<QRadioButton*, 2> Option1{};
    ShapeFrame* Shape1 = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    static FileTraces& noTraces();
    static FolderDialogSeam& systemFolderDialogs();
    void buildControls();
    void setTabOrderAsDesigned();
    void Form_Unload();

    MessageBoxSeam& boxes_;
    StdDialoge dialoge_;
    FillServices& fill_;
    ProcessServices& process_;
    Clock& clock_;
    FolderDialogSeam& folders_;
    QtProgress progress_;
    VeskFlow flow_;
    frmKelvanterInfo* infoWindow_ = nullptr;
    frmFreierSpeicher* freeSpaceWindow_ = nullptr;
};

} // namespace kelvanter
