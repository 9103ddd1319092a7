#include "WidgetPrompts.h"

#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QUrl>

WidgetPrompts::WidgetPrompts(QString defaultCaption) : m_defaultCaption(std::move(defaultCaption)) {}

MsgAnswer WidgetPrompts::message(const QString& text, MsgIcon icon, MsgButtons buttons, const QString& caption)
{
    QMessageBox box(m_parent);
    box.setWindowTitle(caption.isEmpty() ? m_defaultCaption : caption);
    box.setText(text);
    switch (icon) {
    case MsgIcon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case MsgIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case MsgIcon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case MsgIcon::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case MsgIcon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    }
    switch (buttons) {
    case MsgButtons::OK:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case MsgButtons::OKCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case MsgButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case MsgButtons::RetryCancel:
        box.setStandardButtons(QMessageBox::Retry | QMessageBox::Cancel);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Ok:
        return MsgAnswer::OK;
    case QMessageBox::Yes:
        return MsgAnswer::Yes;
    case QMessageBox::No:
        return MsgAnswer::No;
    case QMessageBox::Retry:
        return MsgAnswer::Retry;
    default:
        return MsgAnswer::Cancel;
    }
}

QStringList QtFileFilters(const QString& filter, bool anyCase)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString& pattern : parts.at(i + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            QString spelled;
            for (const QChar c : pattern.trimmed()) {
                spelled += anyCase && c.isLetter() && c.toLower() != c.toUpper()
                               ? QStringLiteral("[%1%2]").arg(c.toUpper(), c.toLower())
                               : QString(c);
            }
            patterns.append(spelled);
        }
        filters.append(parts.at(i) + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')'));
    }
    return filters;
}

namespace {
// The extension of each filter's first pattern ("PNG image|*.png" -> "png"; "" for none).
QStringList FilterSuffixes(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList suffixes;
    for (qsizetype i = 1; i < parts.size(); i += 2) {
        const QString pattern = parts.at(i).section(QLatin1Char(';'), 0, 0).trimmed();
        suffixes.append(pattern.startsWith(QLatin1String("*.")) && pattern.indexOf(QLatin1Char('*'), 2) < 0
                            ? pattern.mid(2)
                            : QString());
    }
    return suffixes;
}

QString runFileDialog(QWidget* parent, QFileDialog::AcceptMode mode, const QString& caption, const QString& filter,
                      const QString& start)
{
    QFileDialog dialog(parent, caption);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    // A save dialog puts its filter's extension on the typed name, so its patterns stay as spelled.
    dialog.setNameFilters(QtFileFilters(filter, mode == QFileDialog::AcceptOpen));
    // A suggested name ("*.png") is put into the name box after the filters, which would
    // otherwise replace a name with wildcards by their own patterns.
    const QFileInfo suggested(start);
    dialog.setDirectory(suggested.isDir() ? start : suggested.path());
    if (!suggested.isDir()) {
        dialog.selectFile(suggested.fileName());
    }
    // The patterns are spelled for any case; the captions already say what is offered.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    if (mode == QFileDialog::AcceptSave) {
        // The program asks about overwriting itself; a name typed without an extension gets the
        // one of the chosen filter.
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
        const QStringList suffixes = FilterSuffixes(filter);
        const auto useSuffixOf = [&dialog, suffixes](const QString& chosen) {
            // The dialog names a filter without its patterns, which HideNameFilterDetails hides.
            const QStringList filters = dialog.nameFilters();
            for (qsizetype i = 0; i < filters.size(); ++i) {
                if (filters.at(i) == chosen || filters.at(i).startsWith(chosen + QLatin1String(" ("))) {
                    dialog.setDefaultSuffix(suffixes.value(i));
                    return;
                }
            }
        };
        useSuffixOf(dialog.selectedNameFilter());
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, useSuffixOf);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().constFirst();
}
} // namespace

QString WidgetPrompts::openFileName(const QString& caption, const QString& filter, const QString& folder)
{
    return runFileDialog(m_parent, QFileDialog::AcceptOpen, caption, filter, folder);
}

QString WidgetPrompts::saveFileName(const QString& caption, const QString& filter, const QString& suggestedPath)
{
    return runFileDialog(m_parent, QFileDialog::AcceptSave, caption, filter, suggestedPath);
}

bool WidgetPrompts::choosePrinter(QPrinter& printer)
{
    QPrintDialog dialog(&printer, m_parent);
    return dialog.exec() == QDialog::Accepted;
}

bool WidgetPrompts::openInTextEditor(const QString& path)
{
#ifdef Q_OS_WIN
    return QProcess::startDetached(QStringLiteral("notepad.exe"), {path});
#else
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
#endif
}

int WidgetPrompts::showModal(QDialog& dialog)
{
    return dialog.exec();
}
