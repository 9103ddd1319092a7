#pragma once

#include "Prompts.h"

class QWidget;

// The prompts of the running program: Qt's message boxes and dialogs, the desktop's editor.
class WidgetPrompts final : public Prompts
{
public:
    // Message boxes without a caption of their own show defaultCaption.
    explicit WidgetPrompts(QString defaultCaption);

    // The window that owns the dialogs; may change while the program runs.
    void setParentWindow(QWidget* parent) { m_parent = parent; }

    MsgAnswer message(const QString& text, MsgIcon icon, MsgButtons buttons, const QString& caption) override;
    QString openFileName(const QString& caption, const QString& filter, const QString& folder) override;
    QString saveFileName(const QString& caption, const QString& filter, const QString& suggestedPath) override;
    bool choosePrinter(QPrinter& printer) override;
    bool openInTextEditor(const QString& path) override;
    int showModal(QDialog& dialog) override;

private:
    QString m_defaultCaption;
    QWidget* m_parent = nullptr;
};

// Turns "description|pattern|description|pattern" into Qt's filter list; with anyCase each
// pattern matches file names without regard to case ("ATE.INI" offers ate.ini too).
QStringList QtFileFilters(const QString& filter, bool anyCase);
