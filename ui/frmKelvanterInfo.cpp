#include "frmKelvanterInfo.h"

#include "Icons.h"
#include "InfoText.h"
#include "Palette.h"
#include "Twips.h"
#include "WindowPlacement.h"

#include <QCloseEvent>
#include <QListWidget>
#include <QPushButton>

namespace kelvanter {

frmKelvanterInfo::frmKelvanterInfo() {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle("Kelvanter - Info");
    setWindowIcon(magnetIcon());
    setFixedSize(twipsToPixels(7395), twipsToPixels(4800));

    List1 = new QListWidget(this);
    List1->setObjectName("List1");
    List1->setGeometry(twipsRect(240, 240, 6855, 3840));
    List1->setFont(fixedPitchFont());
    List1->setSelectionMode(QAbstractItemView::SingleSelection);
    List1->setWordWrap(false);
    List1->setTextElideMode(Qt::ElideNone);
    List1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QPalette listColors = List1->palette();
    listColors.setColor(QPalette::Text, colorFromBgr(palette::kDarkBlue));
    listColors.setColor(QPalette::Base, colorFromBgr(palette::kLightYellow));
    List1->setPalette(listColors);

    Command1 = new QPushButton("Beenden", this);
    Command1->setObjectName("Command1");
    Command1->setGeometry(twipsRect(2640, 4320, 2295, 375));
    // Enter as well as the space bar presses "Beenden" while it has the focus.
    Command1->setAutoDefault(true);
    connect(Command1, &QPushButton::clicked, this, &frmKelvanterInfo::Command1_Click);

    setTabOrder(List1, Command1);
    Form_Load();
    centreOnScreen(*this);
}

void frmKelvanterInfo::Form_Load() {
    for (const QString& line : infoLines())
        List1->addItem(line);
    List1->setCurrentRow(-1);
    List1->clearSelection();
}

bool frmKelvanterInfo::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate)
        Form_Activate();
    return QWidget::event(event);
}

void frmKelvanterInfo::Form_Activate() {
    Command1->setFocus(Qt::ActiveWindowFocusReason);
}

void frmKelvanterInfo::Command1_Click() {
    close();
}

void frmKelvanterInfo::closeEvent(QCloseEvent* event) {
    Form_Unload();
    event->accept();
}

void frmKelvanterInfo::Form_Unload() {
    emit unloaded();
}

} // namespace kelvanter
