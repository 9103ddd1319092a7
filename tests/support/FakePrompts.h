#pragma once

#include "Prompts.h"

#include <QDialog>
#include <QList>
#include <QStringList>
#include <deque>
#include <functional>

// A scripted stand-in for the user: records every prompt and answers from queues.
class FakePrompts final : public Prompts
{
public:
    struct Message
    {
        QString text;
        MsgIcon icon;
        MsgButtons buttons;
        QString caption;
    };

    MsgAnswer message(const QString& text, MsgIcon icon, MsgButtons buttons, const QString& caption) override;
    QString openFileName(const QString& caption, const QString& filter, const QString& folder) override;
    QString saveFileName(const QString& caption, const QString& filter, const QString& suggestedPath) override;
    bool choosePrinter(QPrinter& printer) override;
    bool openInTextEditor(const QString& path) override;
    int showModal(QDialog& dialog) override;

    // Answers used in order; when a queue is empty, messages get their first button (OK, Yes or
    // Retry), file and printer dialogs are cancelled and modal windows are rejected.
    std::deque<MsgAnswer> answers;
    std::deque<QString> fileNames;
    std::deque<std::function<void(QDialog&)>> modalActions;
    // The printer dialog: each action sets up the printer and says whether it was accepted.
    std::deque<std::function<bool(QPrinter&)>> printerActions;

    QList<Message> messages;
    QStringList fileDialogCaptions;
    QStringList fileDialogFilters;
    QStringList editedFiles;
    QStringList modalWindows;

    QStringList texts() const;
};
