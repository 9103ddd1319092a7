#include "SqlQuoting.h"

QString SqlTextLiteral(const QString& value)
{
    QString doubled = value;
    doubled.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + doubled + QLatin1Char('\'');
}

bool IsUsableSqlName(const QString& name)
{
    if (name.contains(QLatin1Char(';'))) {
        return false;
    }
    const auto partEdge = [&name](qsizetype i) { return i < 0 || i >= name.size() || name.at(i) == QLatin1Char('.'); };
    bool enclosed = false;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name.at(i);
        if (c == QLatin1Char('[')) {
            if (enclosed || !partEdge(i - 1)) {
                return false;
            }
            enclosed = true;
        } else if (c == QLatin1Char(']')) {
            if (!enclosed || !partEdge(i + 1)) {
                return false;
            }
            enclosed = false;
        }
    }
    return !enclosed;
}
