#include "FakePrompts.h"

MsgAnswer FakePrompts::message(const QString& text, MsgIcon icon, MsgButtons buttons, const QString& caption)
{
    messages.append({text, icon, buttons, caption});
    if (!answers.empty()) {
        const MsgAnswer a = answers.front();
        answers.pop_front();
        return a;
    }
    switch (buttons) {
    case MsgButtons::YesNo:
        return MsgAnswer::Yes;
    case MsgButtons::RetryCancel:
        return MsgAnswer::Retry;
    case MsgButtons::OK:
    case MsgButtons::OKCancel:
        break;
    }
    return MsgAnswer::OK;
}

QString FakePrompts::openFileName(const QString& caption, const QString& filter, const QString&)
{
    fileDialogCaptions.append(caption);
    fileDialogFilters.append(filter);
    if (fileNames.empty()) {
        return {};
    }
    const QString name = fileNames.front();
    fileNames.pop_front();
    return name;
}

QString FakePrompts::saveFileName(const QString& caption, const QString& filter, const QString& suggestedPath)
{
    return openFileName(caption, filter, suggestedPath);
}

bool FakePrompts::choosePrinter(QPrinter& printer)
{
    if (printerActions.empty()) {
        return false;
    }
    const auto action = printerActions.front();
    printerActions.pop_front();
    return action(printer);
}

bool FakePrompts::openInTextEditor(const QString& path)
{
    editedFiles.append(path);
    return true;
}

int FakePrompts::showModal(QDialog& dialog)
{
    modalWindows.append(dialog.objectName());
    if (modalActions.empty()) {
        return QDialog::Rejected;
    }
    const auto action = modalActions.front();
    modalActions.pop_front();
    action(dialog);
    return dialog.result();
}

QStringList FakePrompts::texts() const
{
    QStringList list;
    for (const Message& m : messages) {
        list.append(m.text);
    }
    return list;
}
