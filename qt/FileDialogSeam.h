#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

class QWidget;

namespace kelvanter {

enum class FileDialogMode { Open = 0, SaveWithOverwritePrompt = 1, Save = 2, OpenSeveral = 3 };

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
// Returns the chosen files' full paths (one, or with OpenSeveral any number), none when cancelled.
class FileDialogSeam {
public:
    virtual ~FileDialogSeam() = default;
    virtual QStringList choose(const FileDialogRequest& request) = 0;
};

// Qt's own file dialog, modal to its owner.
class QtFileDialogs final : public FileDialogSeam {
public:
    QStringList choose(const FileDialogRequest& request) override;
};

// The name filter Qt needs for one entry: "*.*" means every file, extension or not.
QString qtNameFilter(const FilterEntry& entry);

} // namespace kelvanter
