#pragma once

#include "qt/FileDialogSeam.h"

#include <QString>
#include <QStringList>

class QWidget;

namespace kelvanter {

// The wrapper round the open and save dialogs.
class StdDialoge {
public:
    explicit StdDialoge(FileDialogSeam& dialogs) : dialogs_(dialogs) {}

    QString ShowOpenDialog(QWidget* oOwner, const QString& sTitle, QString& sFolder, const QString& sInitFile,
                           const QString& sFilter, const QString& sDefExt);
    // The same selecting several files of one folder: their names, none when cancelled.
    QStringList ShowOpenFilesDialog(QWidget* oOwner, const QString& sTitle, QString& sFolder, const QString& sFilter,
                                    const QString& sDefExt);

    // Returns the chosen file's name without its folder, or empty text when cancelled; only then
    // is `sFolder` set, to the chosen file's folder with its final separator.
    QString ShowFileDialog(QWidget* oOwner, const QString& sTitle, QString& sFolder, const QString& sInitFile,
                           const QString& sFilter, const QString& sDefExt, int iMode);

private:
    FileDialogSeam& dialogs_;
};

// "Text|pattern|Text|pattern" as pairs; an entry without its pattern is dropped.
QList<FilterEntry> parseFilter(const QString& sFilter);

} // namespace kelvanter
