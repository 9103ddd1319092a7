#include "SqlQuoting.h"

#include <QRegularExpression>

QString SqlTextLiteral(const QString& value)
{
    QString doubled = value;
    doubled.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + doubled + QLatin1Char('\'');
}

bool IsUsableSqlName(const QString& name)
{
    // A part is a word (a letter or '_' first, then letters, digits, '_', '$' or '#') or any text
    // without ']' or control characters in brackets; a name is one to three parts joined by dots.
    static const QRegularExpression sqlName(QStringLiteral(
        R"(^(?:[\p{L}_][\w$#]*|\[[^\]\x00-\x1f]+\])(?:\.(?:[\p{L}_][\w$#]*|\[[^\]\x00-\x1f]+\])){0,2}$)"));
    return sqlName.match(name).hasMatch();
}
