#include "qt/StdDialoge.h"

#include <QDir>

namespace kelvanter {

QList<FilterEntry> parseFilter(const QString& sFilter) {
    const QStringList parts = sFilter.split('|');
    QList<FilterEntry> entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (!parts[i].isEmpty() && !parts[i + 1].isEmpty())
            entries.append({parts[i], parts[i + 1]});
    }
    return entries;
}

QString StdDialoge::ShowOpenDialog(QWidget* oOwner, const QString& sTitle, QString& sFolder, const QString& sInitFile,
                                   const QString& sFilter, const QString& sDefExt) {
    return ShowFileDialog(oOwner, sTitle, sFolder, sInitFile, sFilter, sDefExt, 0);
}

QString StdDialoge::ShowFileDialog(QWidget* oOwner, const QString& sTitle, QString& sFolder, const QString& sInitFile,
                                   const QString& sFilter, const QString& sDefExt, int iMode) {
    FileDialogRequest request;
    request.owner = oOwner;
    request.title = sTitle;
    request.folder = sFolder;
    request.initialName = sInitFile;
    request.filters = parseFilter(sFilter);
    request.defaultExtension = sDefExt;
    request.mode = static_cast<FileDialogMode>(iMode);
    const QString chosen = dialogs_.choose(request);
    if (chosen.isEmpty())
        return {};
    const qsizetype nameOffset = chosen.lastIndexOf('/') + 1;
    sFolder = chosen.left(nameOffset);
    return chosen.mid(nameOffset);
}

} // namespace kelvanter
