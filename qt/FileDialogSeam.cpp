#include "qt/FileDialogSeam.h"

#include <QFileDialog>
#include <QStringList>

namespace kelvanter {

namespace {

QString qtPatterns(const QString& patterns) {
    QStringList translated;
    for (const QString& pattern : patterns.split(';', Qt::SkipEmptyParts))
        translated << (pattern.trimmed() == "*.*" ? QString("*") : pattern.trimmed());
    return translated.join(' ');
}

// "*.*" is no suffix to append; only a plain extension such as "txt" is.
QString plainSuffix(const QString& extension) {
    QString suffix = extension;
    if (suffix.startsWith("*."))
        suffix.remove(0, 2);
    if (suffix.startsWith('.'))
        suffix.remove(0, 1);
    return suffix.contains('*') || suffix.contains('?') ? QString() : suffix;
}

void applyMode(QFileDialog& dialog, FileDialogMode mode) {
    if (mode == FileDialogMode::Open || mode == FileDialogMode::OpenSeveral) {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(mode == FileDialogMode::Open ? QFileDialog::ExistingFile : QFileDialog::ExistingFiles);
        return;
    }
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, mode == FileDialogMode::Save);
}

} // namespace

QString qtNameFilter(const FilterEntry& entry) {
    // Qt reads the patterns from the last parentheses and, with the details hidden, shows the
    // rest: the user sees "Alle Dateien (*.*)" while the dialog matches "*".
    return entry.first + " (" + qtPatterns(entry.second) + ")";
}

QStringList QtFileDialogs::choose(const FileDialogRequest& request) {
    QFileDialog dialog(request.owner, request.title, request.folder);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    QStringList filters;
    for (const FilterEntry& entry : request.filters)
        filters << qtNameFilter(entry);
    dialog.setNameFilters(filters);
    applyMode(dialog, request.mode);
    dialog.setDefaultSuffix(plainSuffix(request.defaultExtension));
    if (!request.initialName.isEmpty())
        dialog.selectFile(request.initialName);
    dialog.setWindowModality(Qt::WindowModal);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles();
}

} // namespace kelvanter
