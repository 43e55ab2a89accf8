#pragma once

#include <QWidget>

class QListWidget;
class QPushButton;

namespace kelvanter {

// The window that explains how the program destroys files. Non-modal, ownerless, one at a time.
class frmKelvanterInfo : public QWidget {
    Q_OBJECT
public:
    frmKelvanterInfo();

    QListWidget* List1 = nullptr;
    QPushButton* Command1 = nullptr;

signals:
    // The window is going away; whoever holds it must forget it.
    void unloaded();

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Load();
    void Form_Activate();
    void Command1_Click();
    void Form_Unload();
};

} // namespace kelvanter
