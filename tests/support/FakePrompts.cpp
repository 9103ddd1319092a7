#include "FakePrompts.h"

namespace {
template <typename T> T takeFront(std::deque<T>& queue)
{
    T first = std::move(queue.front());
    queue.pop_front();
    return first;
}
} // namespace

MsgAnswer FakePrompts::message(const QString& text, MsgIcon icon, MsgButtons buttons, const QString& caption)
{
    messages.append({text, icon, buttons, caption});
    return !answers.empty()                     ? takeFront(answers)
           : buttons == MsgButtons::YesNo       ? MsgAnswer::Yes
           : buttons == MsgButtons::RetryCancel ? MsgAnswer::Retry
                                                : MsgAnswer::OK;
}

QString FakePrompts::openFileName(const QString& caption, const QString& filter, const QString&)
{
    fileDialogCaptions.append(caption);
    fileDialogFilters.append(filter);
    return fileNames.empty() ? QString() : takeFront(fileNames);
}

QString FakePrompts::saveFileName(const QString& caption, const QString& filter, const QString& suggestedPath)
{
    return openFileName(caption, filter, suggestedPath);
}

bool FakePrompts::choosePrinter(QPrinter& printer)
{
    return !printerActions.empty() && takeFront(printerActions)(printer);
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
    takeFront(modalActions)(dialog);
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
