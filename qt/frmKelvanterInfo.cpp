#include "qt/frmKelvanterInfo.h"

#include "qt/Icons.h"
#include "qt/QtDesign.h"
#include "qt/WindowPlacement.h"
#include "window/InfoLines.h"

#include <QCloseEvent>
#include <QListWidget>
#include <QPushButton>

namespace kelvanter {

frmKelvanterInfo::frmKelvanterInfo() {
    setAttribute(Qt::WA_DeleteOnClose);
    const InfoWindowDesign& design = kInfoWindow;
    setWindowTitle(design.form.caption);
    setWindowIcon(magnetIcon());
    setFixedSize(twipsToPixels(design.form.clientWidthTwips), twipsToPixels(design.form.clientHeightTwips));

    List1 = new QListWidget(this);
    List1->setObjectName(design.List1.name);
    List1->setGeometry(twipsRect(design.List1.rect));
    List1->setFont(designFont(design.List1.font));
    List1->setSelectionMode(QAbstractItemView::SingleSelection);
    List1->setWordWrap(false);
    List1->setTextElideMode(Qt::ElideNone);
    List1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QPalette listColors = List1->palette();
    listColors.setColor(QPalette::Text, colorFromBgr(design.List1.textColor));
    listColors.setColor(QPalette::Base, colorFromBgr(design.List1.backColor));
    List1->setPalette(listColors);

    Command1 = new QPushButton(design.Command1.caption, this);
    Command1->setObjectName(design.Command1.name);
    Command1->setGeometry(twipsRect(design.Command1.rect));
    // Enter as well as the space bar presses "Beenden" while it has the focus.
    Command1->setAutoDefault(true);
    connect(Command1, &QPushButton::clicked, this, &frmKelvanterInfo::Command1_Click);

    setTabOrder(List1, Command1);
    Form_Load();
    centreOnScreen(*this);
}

void frmKelvanterInfo::Form_Load() {
    for (const char* line : kInfoLines)
        List1->addItem(QString::fromUtf8(line));
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
