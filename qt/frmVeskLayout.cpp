// The main window's controls, made from the design's control table.
#include "qt/CaptionedPictureButton.h"
#include "qt/Icons.h"
#include "qt/PictureBox.h"
#include "qt/QtControls.h"
#include "qt/QtDesign.h"
#include "qt/ShapeFrame.h"
#include "qt/frmVesk.h"

#include <QButtonGroup>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QToolButton>

namespace kelvanter {

namespace {

const MainWindowDesign& design = kMainWindow;

QPushButton* makePictureButton(QWidget* parent, const ControlSpec& spec, const QIcon& icon, int iconSize) {
    auto* button = named(new QPushButton(parent), spec);
    button->setIcon(icon);
    button->setIconSize(QSize(iconSize, iconSize));
    button->setToolTip(spec.toolTip);
    button->setAccessibleName(spec.accessibleName);
    button->setGeometry(twipsRect(spec.rect));
    // Outside a dialog this only lets Enter press the button that has the focus; none is a default.
    button->setAutoDefault(true);
    button->setDefault(false);
    return button;
}

QRadioButton* makeOption(QWidget* parent, const ControlSpec& spec) {
    auto* option = named(new QRadioButton(spec.caption, parent), spec);
    option->setGeometry(twipsRect(spec.rect));
    setTextColor(option, spec.textColor);
    setBackgroundColor(option, QPalette::Button, spec.backColor);
    return option;
}

} // namespace

void frmVesk::buildControls() {
    setWindowTitle(design.form.caption);
    setWindowIcon(magnetIcon());
    setFixedSize(twipsToPixels(design.form.clientWidthTwips), twipsToPixels(design.form.clientHeightTwips));
    setFont(designFont({}));
    setBackgroundColor(this, QPalette::Window, design.backColor);

    Shape1 = named(new ShapeFrame(design.Shape1.textColor, design.Shape1.backColor, design.shapeBorderPixels, this),
                   design.Shape1);
    Shape1->setGeometry(twipsRect(design.Shape1.rect));

    Fname = named(new QLineEdit(this), design.Fname);
    Fname->setGeometry(twipsRect(design.Fname.rect));
    setTextColor(Fname, design.Fname.textColor);
    setBackgroundColor(Fname, QPalette::Base, design.Fname.backColor);

    Command1 = makePictureButton(this, design.Command1, folderIcon(), 16);

    Command2 = named(new CaptionedPictureButton(this), design.Command2);
    Command2->setText(design.Command2.caption);
    Command2->setIcon(magnetIcon());
    Command2->setIconSize(QSize(32, 32));
    Command2->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    Command2->setFont(designFont(design.Command2.font));
    Command2->setGeometry(twipsRect(design.Command2.rect));
    Command2->setFocusPolicy(Qt::StrongFocus);

    // A stop on the Tab key's way, where a screen reader reads the percent.
    progress_.Picture1->setFocusPolicy(Qt::TabFocus);

    Label2 = makeLabel(this, design.Label2);
    // The prompt names the path box for a screen reader.
    Label2->setBuddy(Fname);
    Label3 = makeLabel(this, design.Label3);

    Option1[0] = makeOption(this, design.Option1_0);
    Option1[1] = makeOption(this, design.Option1_1);
    auto* group = new QButtonGroup(this);
    group->addButton(Option1[0], 0);
    group->addButton(Option1[1], 1);
    Option1[0]->setChecked(true);

    Command3 = makePictureButton(this, design.Command3, infoIcon(), 32);
    Command4 = makePictureButton(this, design.Command4, doorIcon(), 32);

    Shape1->lower();
    setTabOrderAsDesigned();
}

void frmVesk::setTabOrderAsDesigned() {
    QWidget* previous = nullptr;
    for (const ControlSpec* spec : tabOrder(design)) {
        auto* control = findChild<QWidget*>(spec->name);
        if (previous != nullptr && control != nullptr)
            setTabOrder(previous, control);
        previous = control;
    }
}

} // namespace kelvanter
