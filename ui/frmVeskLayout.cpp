// The main window's controls, laid out as designed (positions in twips).
#include "CaptionedPictureButton.h"
#include "Icons.h"
#include "Palette.h"
#include "PictureBox.h"
#include "ShapeFrame.h"
#include "Twips.h"
#include "frmVesk.h"

#include <QButtonGroup>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QToolButton>

namespace kelvanter {

namespace {

void setTextColor(QWidget* widget, std::uint32_t text) {
    QPalette colors = widget->palette();
    colors.setColor(QPalette::WindowText, colorFromBgr(text));
    colors.setColor(QPalette::Text, colorFromBgr(text));
    widget->setPalette(colors);
}

// Fills the widget's own background (buttons paint theirs in the Button role).
void setBackgroundColor(QWidget* widget, QPalette::ColorRole role, std::uint32_t background) {
    QPalette colors = widget->palette();
    colors.setColor(role, colorFromBgr(background));
    widget->setPalette(colors);
    widget->setBackgroundRole(role);
    widget->setAutoFillBackground(true);
}

// Labels are transparent and sized to their text, from their designed top-left corner.
QLabel* makeLabel(QWidget* parent, const char* name, const QString& caption, int left, int top, std::uint32_t color) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(name);
    label->setAttribute(Qt::WA_TranslucentBackground);
    label->setTextFormat(Qt::PlainText);
    setTextColor(label, color);
    label->move(twipsToPixels(left), twipsToPixels(top));
    label->adjustSize();
    return label;
}

QPushButton* makePictureButton(QWidget* parent, const char* name, const QIcon& icon, int iconSize,
                               const QString& tooltip, const QRect& geometry) {
    auto* button = new QPushButton(parent);
    button->setObjectName(name);
    button->setIcon(icon);
    button->setIconSize(QSize(iconSize, iconSize));
    button->setToolTip(tooltip);
    button->setGeometry(geometry);
    // Outside a dialog this only lets Enter press the button that has the focus; none is a default.
    button->setAutoDefault(true);
    button->setDefault(false);
    return button;
}

QRadioButton* makeOption(QWidget* parent, int index, const QString& caption, int top) {
    auto* option = new QRadioButton(caption, parent);
    option->setObjectName(QString("Option1_%1").arg(index));
    option->setGeometry(twipsRect(4560, top, 1215, 255));
    setTextColor(option, palette::kDarkYellow);
    setBackgroundColor(option, QPalette::Button, palette::kBlack);
    return option;
}

} // namespace

void frmVesk::buildControls() {
    setWindowTitle(kApplicationTitle);
    setWindowIcon(magnetIcon());
    setFixedSize(twipsToPixels(7110), twipsToPixels(3150));
    setFont(sansSerifFont());
    setBackgroundColor(this, QPalette::Window, palette::kBlack);

    Shape1 = new ShapeFrame(palette::kDarkYellow, palette::kBlack, 3, this);
    Shape1->setObjectName("Shape1");
    Shape1->setGeometry(twipsRect(120, 240, 6855, 2775));

    Fname = new QLineEdit(this);
    Fname->setObjectName("Fname");
    Fname->setGeometry(twipsRect(240, 720, 5895, 300));
    setTextColor(Fname, palette::kRed);
    setBackgroundColor(Fname, QPalette::Base, palette::kLightYellow);

    Command1 = makePictureButton(this, "Command1", folderIcon(), 16, "Zu zerstörende Datei öffnen.",
                                 twipsRect(6240, 720, 615, 325));

    Command2 = new CaptionedPictureButton(this);
    Command2->setObjectName("Command2");
    Command2->setText("Datei zerstören");
    Command2->setIcon(magnetIcon());
    Command2->setIconSize(QSize(32, 32));
    Command2->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    Command2->setFont(sansSerifFont(9.75, true));
    Command2->setGeometry(twipsRect(2160, 1170, 2175, 975));
    Command2->setFocusPolicy(Qt::StrongFocus);
    Command2->setEnabled(false);

    Picture1 = new PictureBox(this);
    Picture1->setObjectName("Picture1");
    Picture1->setGeometry(twipsRect(255, 2640, 6600, 255));
    Picture1->setBackColor(palette::kDarkGreen);
    Picture1->setFocusPolicy(Qt::TabFocus);

    Label2 = makeLabel(this, "Label2", "Zu zerstörende Datei auswählen:", 240, 480, palette::kDarkYellow);
    Label3 = makeLabel(this, "Label3", "Datei wurde zerstört !", 260, 2130, palette::kRed);
    Label3->hide();

    Option1[0] = makeOption(this, 0, "normal", 1320);
    Option1[1] = makeOption(this, 1, "intensiv", 1800);
    auto* group = new QButtonGroup(this);
    group->addButton(Option1[0], 0);
    group->addButton(Option1[1], 1);
    Option1[0]->setChecked(true);

    // Centred over the whole bar, so the percentage stays in the middle however wide it grows.
    Label1 = new QLabel("0 %", Picture1);
    Label1->setObjectName("Label1");
    Label1->setAttribute(Qt::WA_TranslucentBackground);
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setFont(sansSerifFont(8.25, true));
    setTextColor(Label1, palette::kWhite);
    Label1->setGeometry(Picture1->drawingArea());

    Command3 = makePictureButton(this, "Command3", infoIcon(), 32, "Info", twipsRect(6000, 1320, 855, 735));
    Command4 = makePictureButton(this, "Command4", doorIcon(), 32, "Beenden", twipsRect(240, 1320, 855, 735));

    Label4 = makeLabel(this, "Label4", "00:00:00", 1320, 2400, palette::kDarkYellow);
    Label5 = makeLabel(this, "Label5", "00:00:00", 6120, 2400, palette::kDarkYellow);
    Label6 = makeLabel(this, "Label6", "Time Elapsed:", 240, 2400, palette::kDarkYellow);
    Label7 = makeLabel(this, "Label7", "Time Estimated:", 4920, 2400, palette::kDarkYellow);

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(1000);

    Shape1->lower();
    setTabOrderAsDesigned();
}

void frmVesk::setTabOrderAsDesigned() {
    const QList<QWidget*> order = {Fname, Command1, Command2, Picture1, Option1[0], Option1[1], Command3, Command4};
    for (qsizetype i = 0; i + 1 < order.size(); ++i)
        setTabOrder(order[i], order[i + 1]);
}

} // namespace kelvanter
