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

namespace {

FileDialogRequest requestFor(QWidget* oOwner, const QString& sTitle, const QString& sFolder, const QString& sInitFile,
                             const QString& sFilter, const QString& sDefExt, FileDialogMode mode) {
    FileDialogRequest request;
    request.owner = oOwner;
    request.title = sTitle;
    request.folder = sFolder;
    request.initialName = sInitFile;
    request.filters = parseFilter(sFilter);
    request.defaultExtension = sDefExt;
    request.mode = mode;
    return request;
}

} // namespace

QStringList StdDialoge::ShowOpenFilesDialog(QWidget* oOwner, const QString& sTitle, QString& sFolder,
                                            const QString& sFilter, const QString& sDefExt) {
    const QStringList chosen =
        dialogs_.choose(requestFor(oOwner, sTitle, sFolder, "", sFilter, sDefExt, FileDialogMode::OpenSeveral));
    QStringList names;
    for (const QString& path : chosen) {
        const qsizetype nameOffset = path.lastIndexOf('/') + 1;
        sFolder = path.left(nameOffset);
        names << path.mid(nameOffset);
    }
    return names;
}

QString StdDialoge::ShowFileDialog(QWidget* oOwner, const QString& sTitle, QString& sFolder, const QString& sInitFile,
                                   const QString& sFilter, const QString& sDefExt, int iMode) {
    const QString chosen = dialogs_
                               .choose(requestFor(oOwner, sTitle, sFolder, sInitFile, sFilter, sDefExt,
                                                  static_cast<FileDialogMode>(iMode)))
                               .value(0);
    if (chosen.isEmpty())
        return {};
    const qsizetype nameOffset = chosen.lastIndexOf('/') + 1;
    sFolder = chosen.left(nameOffset);
    return chosen.mid(nameOffset);
}

} // namespace kelvanter
