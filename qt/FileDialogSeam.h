#pragma once

#include <QList>
#include <QPair>
#include <QString>

class QWidget;

namespace kelvanter {

enum class FileDialogMode { Open = 0, SaveWithOverwritePrompt = 1, Save = 2 };

// One filter entry: the text the user sees and its patterns, as the program writes them ("*.*").
using FilterEntry = QPair<QString, QString>;

struct FileDialogRequest {
    QWidget* owner = nullptr;
    QString title;
    QString folder;
    QString initialName;
    QList<FilterEntry> filters;
    QString defaultExtension;
    FileDialogMode mode = FileDialogMode::Open;
};

// The program's one way to a file dialog, so tests can answer it.
// Returns the chosen file's full path, or empty text when cancelled.
class FileDialogSeam {
public:
    virtual ~FileDialogSeam() = default;
    virtual QString choose(const FileDialogRequest& request) = 0;
};

// Qt's own file dialog, modal to its owner.
class QtFileDialogs final : public FileDialogSeam {
public:
    QString choose(const FileDialogRequest& request) override;
};

// The name filter Qt needs for one entry: "*.*" means every file, extension or not.
QString qtNameFilter(const FilterEntry& entry);

} // namespace kelvanter
