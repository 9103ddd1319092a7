#include "PostgresDialect.h"

#include "AnyCaseText.h"
#include "QueryBuilder.h"

namespace {

QString quotedIdentifier(QStringView name, const QStringList& names)
{
    QString spelled = name.toString();
    if (!names.contains(spelled)) {
        for (const QString& known : names) {
            if (known.compare(name, Qt::CaseInsensitive) == 0) {
                spelled = known;
                break;
            }
        }
    }
    return QLatin1Char('"') + spelled.replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

} // namespace

QString ToPostgresDialect(const SqlText& sql, const QStringList& names)
{
    return RewriteSqlTokens(sql, [&names](const SqlToken& token) -> std::optional<QString> {
        if (token.kind == SqlToken::Kind::Name) {
            return quotedIdentifier(token.text.mid(1, token.text.size() - 2), names);
        }
        if (token.kind == SqlToken::Kind::Table) {
            return quotedIdentifier(token.text, names);
        }
        if (token.date) {
            return QStringLiteral("TIMESTAMP ") +
                   token.date->dateTime.toString(QStringLiteral("''yyyy-MM-dd HH:mm:ss''"));
        }
        if (token.kind == SqlToken::Kind::Text && !token.comparison.isEmpty()) {
            const QString match = token.comparison == QLatin1String("=") ? QStringLiteral("~ ") : QStringLiteral("!~ ");
            return match + AnyCaseRegex(token.text, u"$");
        }
        return std::nullopt;
    });
}
