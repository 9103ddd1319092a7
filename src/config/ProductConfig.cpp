#include "ProductConfig.h"

#include "Formats.h"
#include "ProfileReader.h"

namespace {
constexpr int kFirstUnreadLine = 500;
constexpr int kSpecFieldCount = 7;
} // namespace

QString BracketColumnName(const QString& name)
{
    return name.contains(QLatin1Char('[')) ? name : QLatin1Char('[') + name + QLatin1Char(']');
}

QString QuotePassMarker(const QString& value, const QLocale& locale)
{
    return IsNumericText(value, locale) ? value : QLatin1Char('\'') + value + QLatin1Char('\'');
}

ColumnMapping ReadColumnMapping(const QString& productsIniPath, const QString& product)
{
    ColumnMapping mapping;
    const std::pair<const char*, QString*> columns[] = {
        {"TestID", &mapping.testIDField},     {"SerialNumber", &mapping.serialNumberField},
        {"ATEID", &mapping.ateIDField},       {"TestStartTime", &mapping.testStartTimeField},
        {"PassFail", &mapping.passFailField},
    };
    for (const auto& [key, target] : columns) {
        const QString value = ReadINI(product, QLatin1String(key), productsIniPath);
        if (!value.isEmpty()) {
            *target = BracketColumnName(value);
        }
    }
    const QString pass = ReadINI(product, QStringLiteral("PassIdentical"), productsIniPath);
    if (!pass.isEmpty()) {
        mapping.passIdentical = QuotePassMarker(pass);
    }
    return mapping;
}

QString ParameterSpec::listText() const
{
    return group.isEmpty() ? name : group + QStringLiteral(": [") + name + QLatin1Char(']');
}

QString SpecificationList::message() const
{
    switch (outcome) {
    case Outcome::IncompleteLine:
        return QStringLiteral("Specification Info. in INI is not completed or missing at line#%1!").arg(failedLine);
    case Outcome::NoEndMarker:
        return QStringLiteral("Can't reach to End Of Test <EOT> record!");
    case Outcome::Complete:
        break;
    }
    return {};
}

SpecificationList ReadSpecificationList(const QString& productsIniPath, const QString& product,
                                        const std::function<void()>& perLine, const QLocale& locale)
{
    SpecificationList list;
    const QString section = product + QStringLiteral(" Spec");
    for (int line = 1; line < kFirstUnreadLine; ++line) {
        if (perLine) {
            perLine();
        }
        const QStringList fields = SplitList(ReadINI(section, QString::number(line), productsIniPath));
        if (fields.isEmpty()) {
            continue;
        }
        if (fields.at(0).toUpper() == QLatin1String("<EOT>")) {
            return list;
        }
        if (fields.size() < kSpecFieldCount) {
            list.outcome = SpecificationList::Outcome::IncompleteLine;
            list.failedLine = line;
            return list;
        }
        ParameterSpec spec;
        spec.field = fields.at(0);
        spec.lsl = NumericValue(fields.at(1), locale).value_or(kNoLSL);
        spec.usl = NumericValue(fields.at(2), locale).value_or(kNoUSL);
        spec.unit = fields.at(4);
        spec.group = fields.at(5);
        spec.name = fields.at(6);
        list.parameters.append(spec);
    }
    list.outcome = SpecificationList::Outcome::NoEndMarker;
    return list;
}

QString LimitText(double limit, double none)
{
    const QString text = NumberText(limit);
    return limit == none || !IsNumericText(text) ? QStringLiteral("N/A") : text;
}
