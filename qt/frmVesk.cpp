#include "qt/frmVesk.h"

#include "qt/CaptionedPictureButton.h"
#include "qt/MessageBoxSeam.h"
#include "qt/PictureBox.h"
#include "qt/WindowPlacement.h"
#include "qt/frmKelvanterInfo.h"
#include "window/ListTexts.h"
#include "window/ProgressBarGeometry.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QUrl>

namespace kelvanter {

namespace {

QString fromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

frmVesk::frmVesk(MessageBoxSeam& boxes, FileDialogSeam& dialogs, DestructionServices& files, FillServices& fill,
                 ProcessServices& process, Clock& clock, FileTraces& traces, FolderDialogSeam& folders)
    : boxes_(boxes), dialoge_(dialogs), fill_(fill), process_(process), clock_(clock), folders_(folders),
      progress_(*this, boxes, progressRowOf(kMainWindow)), flow_(progress_, *this, files, process, clock, traces) {
    buildControls();
    setAcceptDrops(true);
    connect(Command1, &QPushButton::clicked, this, &frmVesk::Command1_Click);
    connect(Command2, &QToolButton::clicked, this, &frmVesk::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &frmVesk::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &frmVesk::Command4_Click);
    connect(progress_.Timer1, &QTimer::timeout, this, &frmVesk::Timer1_Timer);
    centreOnScreen(*this);
    Fname->setFocus();
}

frmVesk::~frmVesk() {
    delete infoWindow_;
    delete freeSpaceWindow_;
}

FolderDialogSeam& frmVesk::systemFolderDialogs() {
    static QtFolderDialogs dialogs;
    return dialogs;
}

void frmVesk::openFreeSpaceWindow(const std::string& folder) {
    if (freeSpaceWindow_ == nullptr)
        freeSpaceWindow_ = new frmFreierSpeicher(boxes_, folders_, fill_, process_, clock_);
    freeSpaceWindow_->flow().takeFolder(folder);
    freeSpaceWindow_->show();
    freeSpaceWindow_->raise();
    freeSpaceWindow_->activateWindow();
}

FileTraces& frmVesk::noTraces() {
    static NoFileTraces none;
    return none;
}

void frmVesk::O_ShowProgressBar(PictureBox* pPicBox, std::int32_t lValue, std::uint32_t lColor, double dMaxValue) {
    drawProgressBar(*pPicBox, lValue, lColor, dMaxValue);
}

void frmVesk::Command3_Click() {
    if (infoWindow_ == nullptr) {
        infoWindow_ = new frmKelvanterInfo();
        connect(infoWindow_, &frmKelvanterInfo::unloaded, this, [this] { infoWindow_ = nullptr; });
    }
    infoWindow_->show();
    infoWindow_->raise();
    infoWindow_->activateWindow();
}

void frmVesk::Command4_Click() {
    close();
}

namespace {

// The local files of a drop, as the bytes of their names: a file URL keeps the bytes that are
// not UTF-8 percent-encoded, where its text would have lost them.
std::vector<std::string> droppedFiles(const QMimeData* data) {
    std::vector<std::string> paths;
    if (data == nullptr || !data->hasUrls())
        return paths;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile())
            paths.push_back(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()).toStdString());
    }
    return paths;
}

} // namespace

void frmVesk::dragEnterEvent(QDragEnterEvent* event) {
    if (!flow_.isRunInProgress() && !droppedFiles(event->mimeData()).empty())
        event->acceptProposedAction();
}

void frmVesk::dropEvent(QDropEvent* event) {
    const std::vector<std::string> paths = droppedFiles(event->mimeData());
    if (flow_.isRunInProgress() || paths.empty())
        return;
    event->acceptProposedAction();
    flow_.takeDroppedFiles(paths);
}

void frmVesk::closeEvent(QCloseEvent* event) {
    // A disabled window still receives close requests (Alt+F4, the close box): never end mid-run.
    if (flow_.isRunInProgress()) {
        event->ignore();
        return;
    }
    // Nor while the free-space window fills the disk: that run is cancelled and deletes its fill first.
    if (freeSpaceWindow_ != nullptr && freeSpaceWindow_->flow().isRunInProgress()) {
        freeSpaceWindow_->flow().cancelFill();
        event->ignore();
        return;
    }
    Form_Unload();
    event->accept();
}

void frmVesk::Form_Unload() {
    // The info window goes with the program, without its own unload.
    delete infoWindow_;
    infoWindow_ = nullptr;
    QCoreApplication::quit();
}

// ---- what the commands' flow may do to the window ----

void frmVesk::setWindowEnabled(bool enabled) {
    setEnabled(enabled);
}

bool frmVesk::isOptionSelected(int index) const {
    return Option1.at(static_cast<std::size_t>(index))->isChecked();
}

void frmVesk::setSuccessLabelVisible(bool visible) {
    Label3->setVisible(visible);
}

std::string frmVesk::executableName() const {
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName().toStdString();
}

std::string frmVesk::pathBoxText() const {
    return Fname->text().toStdString();
}

void frmVesk::setPathText(const std::string& text) {
    Fname->setText(fromUtf8(text));
}

void frmVesk::setDestroyEnabled(bool enabled) {
    Command2->setEnabled(enabled);
}

void frmVesk::setPathToolTip(const std::string& text) {
    Fname->setToolTip(fromUtf8(text));
}

void frmVesk::showFileAtHand(const std::string& name) {
    setWindowTitle(fromUtf8(listTexts::titleWithFile(kMainWindow.form.caption, name)));
}

std::vector<std::string> frmVesk::ShowOpenDialog(const std::string& sTitle, std::string& sFolder, const std::string&,
                                                 const std::string& sFilter, const std::string& sDefExt) {
    QString folder = QFile::decodeName(QByteArray::fromStdString(sFolder));
    const QStringList names =
        dialoge_.ShowOpenFilesDialog(this, fromUtf8(sTitle), folder, fromUtf8(sFilter), fromUtf8(sDefExt));
    std::vector<std::string> chosen;
    for (const QString& name : names)
        chosen.push_back(QFile::encodeName(name).toStdString());
    if (!chosen.empty())
        sFolder = QFile::encodeName(folder).toStdString();
    return chosen;
}

} // namespace kelvanter
