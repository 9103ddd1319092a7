#include "ParetoMath.h"

#include "Formats.h"

#include <utility>

void BubbleSortNumbers(QList<double>& numbers, QStringList& names)
{
    for (qsizetype pass = numbers.size() - 1; pass > 0; --pass) {
        for (qsizetype i = 0; i < pass; ++i) {
            if (numbers[i] < numbers[i + 1]) {
                std::swap(numbers[i], numbers[i + 1]);
                names.swapItemsAt(i, i + 1);
            }
        }
    }
}

QString ParetoSumText(double sum, const QLocale& locale)
{
    QString text = FormatNumber(sum, QStringLiteral("#,##0.###"), locale);
    if (text.endsWith(locale.decimalPoint())) {
        text.chop(locale.decimalPoint().size());
    }
    return text;
}

QString ParetoBar::label(const QLocale& locale) const
{
    return name + QStringLiteral("\r(") + ParetoSumText(sum, locale) + QLatin1Char(')');
}

std::vector<ParetoBar> ParetoBars(QStringList names, QList<double> sums, double total)
{
    names.resize(sums.size());
    BubbleSortNumbers(sums, names);
    std::vector<ParetoBar> bars;
    double cumulative = 0;
    for (qsizetype i = 0; i < sums.size(); ++i) {
        cumulative += sums[i];
        bars.push_back({names[i], sums[i], sums[i] / total * 100, cumulative / total * 100});
    }
    return bars;
}

QStringList ParetoPanelCaptions()
{
    return {QStringLiteral("Total:")};
}
