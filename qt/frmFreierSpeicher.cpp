#include "qt/frmFreierSpeicher.h"

#include "qt/Icons.h"
#include "qt/MessageBoxSeam.h"
#include "qt/PictureBox.h"
#include "qt/QtControls.h"
#include "qt/QtDesign.h"
#include "qt/ShapeFrame.h"
#include "qt/WindowPlacement.h"
#include "window/ProgressBarGeometry.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace kelvanter {

namespace {

const FreeSpaceWindowDesign& design = kFreeSpaceWindow;

QPushButton* makeButton(QWidget* parent, const ControlSpec& spec) {
    auto* button = new QPushButton(spec.caption, parent);
    button->setObjectName(spec.name);
    button->setGeometry(twipsRect(spec.rect));
    button->setFont(designFont(spec.font));
    button->setEnabled(spec.enabled);
    button->setAutoDefault(true);
    if (spec.toolTip != nullptr)
        button->setToolTip(spec.toolTip);
    if (spec.accessibleName != nullptr)
        button->setAccessibleName(spec.accessibleName);
    return button;
}

} // namespace

QString QtFolderDialogs::chooseFolder(QWidget* owner, const QString& title, const QString& start) {
    return QFileDialog::getExistingDirectory(owner, title, start,
                                             QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
}

frmFreierSpeicher::frmFreierSpeicher(MessageBoxSeam& boxes, FolderDialogSeam& folders, FillServices& files,
                                     ProcessServices& process, Clock& clock)
    : folders_(folders), files_(files), process_(process), progress_(*this, boxes, progressRowOf(kFreeSpaceWindow)),
      flow_(progress_, *this, files, process, clock) {
    buildControls();
    connect(Command1, &QPushButton::clicked, this, [this] { flow_.chooseFolder(); });
    connect(Command2, &QPushButton::clicked, this, [this] {
        flow_.confirmAndFill();
        if (closeWhenDone_)
            close();
    });
    connect(Command5, &QPushButton::clicked, this, [this] { flow_.cancelFill(); });
    connect(progress_.Timer1, &QTimer::timeout, this, [this] { flow_.tick(); });
    connect(Fname, &QLineEdit::editingFinished, this, [this] { flow_.showFileSystem(); });
    centreOnScreen(*this);
}

void frmFreierSpeicher::buildControls() {
    setWindowTitle(design.form.caption);
    setWindowIcon(magnetIcon());
    setFixedSize(twipsToPixels(design.form.clientWidthTwips), twipsToPixels(design.form.clientHeightTwips));
    setFont(designFont({}));
    setBackgroundColor(this, QPalette::Window, design.backColor);

    Shape1 = new ShapeFrame(design.Shape1.textColor, design.Shape1.backColor, design.shapeBorderPixels, this);
    Shape1->setObjectName(design.Shape1.name);
    Shape1->setGeometry(twipsRect(design.Shape1.rect));
    Label2 = makeLabel(this, design.Label2);
    Fname = new QLineEdit(this);
    Fname->setObjectName(design.Fname.name);
    Fname->setGeometry(twipsRect(design.Fname.rect));
    setTextColor(Fname, design.Fname.textColor);
    setBackgroundColor(Fname, QPalette::Base, design.Fname.backColor);
    Label2->setBuddy(Fname);
    Command1 = makeButton(this, design.Command1);
    Command1->setIcon(folderIcon());
    Command1->setIconSize(QSize(16, 16));
    Label8 = makeLabel(this, design.Label8);
    Command2 = makeButton(this, design.Command2);
    Command5 = makeButton(this, design.Command5);
    Shape1->lower();
    setTabOrder(Fname, Command1);
    setTabOrder(Command1, Command2);
    setTabOrder(Command2, Command5);
}

void frmFreierSpeicher::closeEvent(QCloseEvent* event) {
    if (flow_.isRunInProgress()) {
        flow_.cancelFill();
        closeWhenDone_ = true;
        event->ignore();
        return;
    }
    event->accept();
}

std::string frmFreierSpeicher::folderText() const {
    return Fname->text().toStdString();
}

void frmFreierSpeicher::setFolderText(const std::string& text) {
    Fname->setText(QString::fromStdString(text));
}

void frmFreierSpeicher::setFileSystemCaption(const std::string& text) {
    Label8->setText(QString::fromStdString(text));
    Label8->adjustSize();
}

void frmFreierSpeicher::setRunning(bool running, bool startEnabled) {
    Command2->setEnabled(!running && startEnabled);
    Command5->setEnabled(running);
    Command1->setEnabled(!running);
    Fname->setReadOnly(running);
}

std::string frmFreierSpeicher::chooseFolder(const std::string& title, const std::string& start) {
    return folders_.chooseFolder(this, QString::fromStdString(title), QString::fromStdString(start)).toStdString();
}

} // namespace kelvanter
