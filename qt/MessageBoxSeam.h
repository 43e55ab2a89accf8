#pragma once

#include <QString>

class QWidget;

namespace kelvanter {

// Every message box of the program goes through here, so tests can answer them.
// Styles 0 (OK), 16 (error, OK), 36 (question, Yes/No), 48 (warning, OK);
// the answer is 6 for Yes, 7 for No and 1 for OK.
class MessageBoxSeam {
public:
    virtual ~MessageBoxSeam() = default;
    virtual int show(QWidget* owner, const QString& text, int style, const QString& title) = 0;
};

// The real, modal boxes.
class QtMessageBoxes final : public MessageBoxSeam {
public:
    int show(QWidget* owner, const QString& text, int style, const QString& title) override;
};

} // namespace kelvanter
