#include "ConsolePrompts.h"

#include <QDialog>
#include <QStringList>
#include <QTextStream>

MsgAnswer ConsolePrompts::message(const QString& text, MsgIcon, MsgButtons buttons, const QString&)
{
    m_messages.append(text);
    QTextStream(stderr) << text << Qt::endl;
    switch (buttons) {
    case MsgButtons::OK:
        return MsgAnswer::OK;
    case MsgButtons::YesNo:
        return MsgAnswer::No;
    case MsgButtons::OKCancel:
    case MsgButtons::RetryCancel:
        break;
    }
    return MsgAnswer::Cancel;
}

QString ConsolePrompts::openFileName(const QString&, const QString&, const QString&)
{
    return {};
}

QString ConsolePrompts::saveFileName(const QString&, const QString&, const QString&)
{
    return {};
}

bool ConsolePrompts::choosePrinter(QPrinter&)
{
    return false;
}

bool ConsolePrompts::openInTextEditor(const QString&)
{
    return false;
}

int ConsolePrompts::showModal(QDialog&)
{
    return QDialog::Rejected;
}
