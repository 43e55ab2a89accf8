#include "frmVesk.h"

#include "CaptionedPictureButton.h"
#include "CoreContext.h"
#include "Disposal.h"
#include "ErrorText.h"
#include "FilePin.h"
#include "MessageBoxSeam.h"
#include "ModDestroyFile.h"
#include "OverwritePasses.h"
#include "PictureBox.h"
#include "ProgressBarGeometry.h"
#include "TimeText.h"
#include "TraceRemoval.h"
#include "WindowPlacement.h"
#include "frmKelvanterInfo.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <limits>

namespace kelvanter {

namespace {

const char* const kZeroTime = "00:00:00";

std::string encodePath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

void setCaption(QLabel* label, const QString& caption) {
    label->setText(caption);
    label->adjustSize();
}

} // namespace

frmVesk::frmVesk(MessageBoxSeam& boxes, FileDialogSeam& dialogs, FileServices& files, Clock& clock)
    : boxes_(boxes), files_(files), clock_(clock), dialoge_(dialogs) {
    buildControls();
    connect(Command1, &QPushButton::clicked, this, &frmVesk::Command1_Click);
    connect(Command2, &QToolButton::clicked, this, &frmVesk::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &frmVesk::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &frmVesk::Command4_Click);
    connect(Timer1, &QTimer::timeout, this, &frmVesk::Timer1_Timer);
    centreOnScreen(*this);
    Fname->setFocus();
}

frmVesk::~frmVesk() {
    delete infoWindow_;
}

// ---- the destruction ----

void frmVesk::vesk(const QString& sFileName) {
    runInProgress_ = true;
    const std::string path = encodePath(sFileName);
    // Made absolute before the run: thumbnails are named after the file's full path.
    const std::string absolutePath = traces::absolutePathOf(files_, path);
    CoreContext context{*this, files_, clock_};
    const Verdict verdict = kelvanter::vesk(context, counters, path, confirmedFile_);
    // The file is gone even where its overwrite could not be proven: its traces go with it.
    if (verdict != Verdict::NotDestroyed && !absolutePath.empty())
        traces::removeTracesOf(files_, clock_, traces::TraceLocations::fromEnvironment(), absolutePath);
    runInProgress_ = false;
}

void frmVesk::vesk_total() {
    const auto pin = FilePin::of(files_, pathText());
    CoreContext context{*this, files_, clock_};
    kelvanter::vesk_total(context, pin ? pin->identity() : FileIdentity{});
}

void frmVesk::O_ShowProgressBar(PictureBox* pPicBox, std::int32_t lValue, std::uint32_t lColor, double dMaxValue) {
    const auto bar = progressBarRectangle(lValue, dMaxValue, pPicBox->outerWidthTwips(), pPicBox->outerHeightTwips());
    if (bar)
        pPicBox->fillRectTwips(0, 0, bar->right, bar->bottom, lColor);
    pPicBox->repaint();
}

// ---- handlers ----

void frmVesk::resetProgressDisplay() {
    Picture1->setBackColor(kEmptyBarColor);
    Label1->setText("0 %");
    Label3->hide();
}

void frmVesk::Command1_Click() {
    resetProgressDisplay();
    QString sFolder = QDir::currentPath();
    const QString name = dialoge_.ShowOpenDialog(this, "Datei 1 öffnen", sFolder, "", "Alle Dateien (*.*)|*.*", "*.*");
    if (!sFolder.endsWith('/'))
        sFolder += '/';
    if (!name.isEmpty()) {
        showChosenFile(sFolder + name);
    } else {
        Command2->setEnabled(false);
        Fname->setText("");
    }
}

void frmVesk::showChosenFile(const QString& path) {
    Command2->setEnabled(true);
    dialoge_.sSelectedFile = path;
    Fname->setText(dialoge_.sSelectedFile);
}

void frmVesk::takeFileFromCommandLine(const QString& path) {
    // Made absolute without resolving "..": through a linked folder that would name another file.
    showChosenFile(QDir::current().absoluteFilePath(path));
}

void frmVesk::Command2_Click() {
    resetProgressDisplay();
    if (Fname->text().isEmpty())
        return;
    // The pin holds the looked-up file until the run ends, so the run can tell if it was swapped.
    const auto pin = FilePin::of(files_, pathText(), HiddenFiles::Excluded);
    if (!pin) {
        boxes_.show(this,
                    "Die Datei wurde nicht gefunden. Die Datei ist entweder nicht vorhanden, es ist eine versteckte "
                    "Datei oder eine Systemdatei. Dateiattribute überprüfen !",
                    kStyleOkOnly, "Kelvanter-Nachricht");
        return;
    }
    if (!askToRemoveWriteProtection(Fname->text()) || !acceptOverwriteInDoubt(pin->identity()))
        return;
    const int answer = boxes_.show(this, "Soll die  Datei " + Fname->text() + " jetzt unwiderruflich zerstört werden?",
                                   kStyleQuestion, "Kelvanter - Kontrollabfrage");
    if (answer != kAnswerYes)
        return;
    runConfirmed(pin->identity());
}

// False when the run must not go on: the user said No, or the attributes could not be read or reset.
bool frmVesk::askToRemoveWriteProtection(const QString& path) {
    const auto attributes = modDestroyFile::ReadAttributes(files_, encodePath(path));
    if (!attributes.ok()) {
        reportFailure(path, QString::fromStdString(describeError(attributes.error)));
        return false;
    }
    if ((attributes.value & modDestroyFile::kAttrReadOnly) == 0)
        return true;
    const int answer =
        boxes_.show(this, "Die Datei " + path + " ist schreibgeschützt. Soll der Schreibschutz entfernt werden ?",
                    kStyleQuestion, kMessageTitle);
    if (answer != kAnswerYes)
        return false;
    const SysStatus reset = files_.addOwnerWrite(encodePath(Fname->text()));
    if (!reset.ok()) {
        reportFailure(Fname->text(), QString::fromStdString(describeError(reset.error)));
        return false;
    }
    return true;
}

// Where the file system may keep the old data elsewhere, the user decides before the confirmation.
bool frmVesk::acceptOverwriteInDoubt(const FileIdentity& identity) {
    const auto doubt = InPlaceOverwriteDoubt(files_, pathText(), identity);
    if (!doubt)
        return true;
    const QString text =
        "Die Datei " + Fname->text() +
        " kann hier nicht an Ort und Stelle überschrieben werden: " + QString::fromStdString(*doubt) +
        ". Ihr bisheriger Inhalt kann danach noch auf dem Datenträger lesbar sein. Trotzdem fortfahren ?";
    return boxes_.show(this, text, kStyleWarningQuestion, kMessageTitle) == kAnswerYes;
}

void frmVesk::runConfirmed(const FileIdentity& identity) {
    lSeconds = 0;
    setCaption(Label4, kZeroTime);
    setCaption(Label5, kZeroTime);
    Timer1->start();
    setMousePointer(kPointerHourglass);
    confirmedFile_ = identity;
    std::optional<QString> failure;
    try {
        vesk(Fname->text());
    } catch (const std::exception& error) {
        // Whatever escaped, the window must be left usable before the user is told.
        runInProgress_ = false;
        setWindowEnabled(true);
        failure = QString::fromLocal8Bit(error.what());
    }
    confirmedFile_.reset();
    endRun();
    if (failure)
        reportFailure(Fname->text(), *failure);
}

void frmVesk::endRun() {
    setMousePointer(kPointerDefault);
    Timer1->stop();
    setCaption(Label5, Label4->text());
}

void frmVesk::reportFailure(const QString& path, const QString& reason) {
    boxes_.show(this, "Die Datei " + path + " kann nicht bearbeitet werden: " + reason, kStyleError, kMessageTitle);
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

void frmVesk::Timer1_Timer() {
    QCoreApplication::processEvents();
    if (lSeconds < std::numeric_limits<std::int32_t>::max())
        ++lSeconds;
    setCaption(Label4, FormatTime(lSeconds));
    if (const auto estimate = estimatedDuration(lSeconds, counters.lBytesDone, counters.lBytesTotal))
        setCaption(Label5, FormatTime(*estimate));
}

void frmVesk::closeEvent(QCloseEvent* event) {
    // A disabled window still receives close requests (Alt+F4, the close box): never end mid-run.
    if (runInProgress_) {
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

// ---- what the core may do to the window ----

void frmVesk::setWindowEnabled(bool enabled) {
    setEnabled(enabled);
}

bool frmVesk::isOptionSelected(int index) const {
    return Option1.at(static_cast<std::size_t>(index))->isChecked();
}

void frmVesk::setPercentCaption(const std::string& caption) {
    Label1->setText(QString::fromStdString(caption));
}

void frmVesk::setBarBackground(std::uint32_t lColor) {
    Picture1->setBackColor(lColor);
}

void frmVesk::setSuccessLabelVisible(bool visible) {
    Label3->setVisible(visible);
}

void frmVesk::processEvents() {
    QCoreApplication::processEvents();
}

int frmVesk::messageBox(const std::string& text, int style, const std::string& title) {
    return boxes_.show(this, QString::fromStdString(text), style, QString::fromStdString(title));
}

std::string frmVesk::executableName() const {
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName().toStdString();
}

std::string frmVesk::applicationTitle() const {
    return kApplicationTitle;
}

void frmVesk::setMousePointer(int code) {
    if (code == kPointerHourglass)
        setCursor(Qt::WaitCursor);
    else
        unsetCursor();
}

std::string frmVesk::pathText() const {
    return encodePath(Fname->text());
}

void frmVesk::showProgressBar(std::int32_t lValue, std::uint32_t lColor, double dMaxValue) {
    O_ShowProgressBar(Picture1, lValue, lColor, dMaxValue);
}

} // namespace kelvanter
