#pragma once

#include "ByteCounters.h"
#include "Clock.h"
#include "FileServices.h"
#include "StdDialoge.h"
#include "VeskDisplay.h"

#include <QWidget>
#include <array>
#include <cstdint>
#include <optional>

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

// The main window. Everything the user does happens here; it is also the home of the
// destruction (vesk, vesk_total) and of the progress bar (O_ShowProgressBar).
class frmVesk : public QWidget, public VeskDisplay {
    Q_OBJECT
public:
    frmVesk(MessageBoxSeam& boxes, FileDialogSeam& dialogs, FileServices& files, Clock& clock);
    ~frmVesk() override;

    void vesk(const QString& sFileName);
    void vesk_total();
    void O_ShowProgressBar(PictureBox* pPicBox, std::int32_t lValue, std::uint32_t lColor, double dMaxValue);

    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Timer1_Timer();

    // A file handed over at start ("Open with"), relative to the current folder: shown as if the
    // open-file dialog had returned it. The run still waits for the user's confirmation.
    void takeFileFromCommandLine(const QString& path);

    bool isRunInProgress() const { return runInProgress_; }
    frmKelvanterInfo* infoWindow() const { return infoWindow_; }

    // VeskDisplay
    void setWindowEnabled(bool enabled) override;
    bool isOptionSelected(int index) const override;
    void setPercentCaption(const std::string& caption) override;
    void setBarBackground(std::uint32_t lColor) override;
    void setSuccessLabelVisible(bool visible) override;
    void processEvents() override;
    int messageBox(const std::string& text, int style, const std::string& title) override;
    std::string executableName() const override;
    std::string applicationTitle() const override;
    void setMousePointer(int code) override;
    std::string pathText() const override;
    void showProgressBar(std::int32_t lValue, std::uint32_t lColor, double dMaxValue) override;

    QLineEdit* Fname = nullptr;
    QPushButton* Command1 = nullptr;
    CaptionedPictureButton* Command2 = nullptr;
    QPushButton* Command3 = nullptr;
    QPushButton* Command4 = nullptr;
    PictureBox* Picture1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label7 = nullptr;
    std::array<QRadioButton*, 2> Option1{};
    ShapeFrame* Shape1 = nullptr;
    QTimer* Timer1 = nullptr;

    std::int32_t lSeconds = 0;
    ByteCounters counters;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void setTabOrderAsDesigned();
    void resetProgressDisplay();
    bool askToRemoveWriteProtection(const QString& path);
    void showChosenFile(const QString& path);
    bool acceptOverwriteInDoubt(const FileIdentity& identity);
    void runConfirmed(const FileIdentity& identity);
    void reportFailure(const QString& path, const QString& reason);
    void endRun();
    void Form_Unload();

    MessageBoxSeam& boxes_;
    FileServices& files_;
    Clock& clock_;
    StdDialoge dialoge_;
    frmKelvanterInfo* infoWindow_ = nullptr;
    std::optional<FileIdentity> confirmedFile_;
    bool runInProgress_ = false;
};

} // namespace kelvanter
