#pragma once

#include "Prompts.h"

#include <QStringList>

// The prompts of a run without a user: every message goes to standard error as its text, a
// question gets its cautious answer (Cancel or No), file dialogs are cancelled and modal windows
// closed unanswered.
class ConsolePrompts final : public Prompts
{
public:
    MsgAnswer message(const QString& text, MsgIcon icon, MsgButtons buttons, const QString& caption) override;
    QString openFileName(const QString& caption, const QString& filter, const QString& folder) override;
    QString saveFileName(const QString& caption, const QString& filter, const QString& suggestedPath) override;
    bool choosePrinter(QPrinter& printer) override;
    bool openInTextEditor(const QString& path) override;
    int showModal(QDialog& dialog) override;

    // The messages shown so far.
    const QStringList& messages() const { return m_messages; }

private:
    QStringList m_messages;
};
