#include "AnyCaseText.h"

QList<char32_t> LetterCases(char32_t c)
{
    QList<char32_t> cases{c};
    for (const char32_t other : {QChar::toLower(c), QChar::toUpper(c), QChar::toCaseFolded(c)}) {
        if (!cases.contains(other)) {
            cases.append(other);
        }
    }
    return cases;
}

QString AnyCaseRegex(QStringView literal, QStringView end)
{
    QString pattern = QStringLiteral("'^");
    for (const char32_t c : literal.mid(1, literal.size() - 2).toUcs4()) {
        const QList<char32_t> cases = LetterCases(c);
        if (cases.size() > 1) {
            pattern += QLatin1Char('[') + QString::fromUcs4(cases.constData(), cases.size()) + QLatin1Char(']');
            continue;
        }
        if (QStringView(u"\\^$.|?*+()[]{}").contains(QChar(c))) {
            pattern += QLatin1Char('\\');
        }
        pattern += QString::fromUcs4(&c, 1);
    }
    pattern += end;
    return pattern + QLatin1Char('\'');
}
