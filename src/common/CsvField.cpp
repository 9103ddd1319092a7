#include "CsvField.h"

QByteArray CsvTextField(const QString& text)
{
    static const QString formulaStarts = QStringLiteral("=+-@\t\r");
    QString field = !text.isEmpty() && formulaStarts.contains(text.front()) ? QLatin1Char('\'') + text : text;
    if (!field.contains(QLatin1Char(',')) && !field.contains(QLatin1Char('"')) && !field.contains(QLatin1Char('\n')) &&
        !field.contains(QLatin1Char('\r'))) {
        return field.toUtf8();
    }
    field.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return '"' + field.toUtf8() + '"';
}
