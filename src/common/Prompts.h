#pragma once

#include <QString>

class QDialog;
class QPrinter;

// Icons, button sets and answers of the program's message boxes.
enum class MsgIcon
{
    None,
    Information,
    Question,
    Exclamation,
    Critical
};
enum class MsgButtons
{
    OK,
    OKCancel,
    YesNo,
    RetryCancel
};
enum class MsgAnswer
{
    OK,
    Cancel,
    Yes,
    No,
    Retry
};

// Everything that asks the user something or leaves the program's own windows goes through
// this interface: message boxes, file and printer dialogs, the external text editor and the
// modal windows the program opens. Production code wraps the Qt dialogs; tests script the answers.
class Prompts
{
public:
    virtual ~Prompts() = default;

    // An empty caption means the program's default caption.
    virtual MsgAnswer message(const QString& text, MsgIcon icon, MsgButtons buttons, const QString& caption = {}) = 0;

    // Returns the chosen file's full path, or an empty string when the dialog was cancelled.
    // The filter uses the "description|pattern" form; patterns match without regard to case.
    virtual QString openFileName(const QString& caption, const QString& filter, const QString& folder) = 0;
    virtual QString saveFileName(const QString& caption, const QString& filter, const QString& suggestedPath) = 0;

    // Shows the printer dialog for printer; true when the user accepted it.
    virtual bool choosePrinter(QPrinter& printer) = 0;

    // Starts the desktop's text editor on path without waiting for it; true when it started.
    virtual bool openInTextEditor(const QString& path) = 0;

    // Shows a window of the program modally and returns its QDialog result code.
    virtual int showModal(QDialog& dialog) = 0;
};
