#include "ProductConfig.h"

#include "Formats.h"
#include "ProfileReader.h"
#include "SqlQuoting.h"

#include <QDir>

namespace {
constexpr int kFirstUnreadLine = 500;
constexpr int kSpecFieldCount = 7;

// A limit written as none: empty, or "N/A" as the limit boxes show it.
bool isNoLimit(const QString& text)
{
    return text.trimmed().isEmpty() || text.trimmed().compare(QLatin1String("N/A"), Qt::CaseInsensitive) == 0;
}

// The column keys of a product's section, in the order they are read.
constexpr const char* kColumnKeys[] = {"TestID", "SerialNumber", "ATEID", "TestStartTime", "PassFail"};
} // namespace

QString BracketColumnName(const QString& name)
{
    return name.contains(QLatin1Char('[')) ? name : QLatin1Char('[') + name + QLatin1Char(']');
}

QString QuotePassMarker(const QString& value, const QLocale& locale)
{
    return IsNumericText(value, locale) ? value : SqlTextLiteral(value);
}

ColumnMapping ReadColumnMapping(const QString& productsIniPath, const QString& product)
{
    ColumnMapping mapping;
    QString* const columns[] = {&mapping.testIDField, &mapping.serialNumberField, &mapping.ateIDField,
                                &mapping.testStartTimeField, &mapping.passFailField};
    for (size_t i = 0; i < std::size(columns); ++i) {
        const QString value = ReadINI(product, QLatin1String(kColumnKeys[i]), productsIniPath);
        if (!value.isEmpty()) {
            *columns[i] = BracketColumnName(value);
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
        const std::optional<double> lsl = NumericValue(fields.at(1), locale);
        const std::optional<double> usl = NumericValue(fields.at(2), locale);
        spec.lsl = lsl.value_or(kNoLSL);
        spec.usl = usl.value_or(kNoUSL);
        spec.unreadLsl = lsl || isNoLimit(fields.at(1)) ? QString() : fields.at(1);
        spec.unreadUsl = usl || isNoLimit(fields.at(2)) ? QString() : fields.at(2);
        spec.unit = fields.at(4);
        spec.group = fields.at(5);
        spec.name = fields.at(6);
        spec.line = line;
        list.parameters.append(spec);
    }
    list.outcome = SpecificationList::Outcome::NoEndMarker;
    return list;
}

QStringList UnreadLimitWarnings(const SpecificationList& list, const QString& productsIniPath, const QString& product)
{
    QStringList warnings;
    for (const ParameterSpec& spec : list.parameters) {
        for (const auto& [limit, text] : {std::pair{"LSL", spec.unreadLsl}, std::pair{"USL", spec.unreadUsl}}) {
            if (!text.isEmpty()) {
                warnings.append(QStringLiteral("%1 \"%2\" of %3 (key %4 in section [%5 Spec] of %6) is not a number: "
                                               "no limit")
                                    .arg(QLatin1String(limit), text, spec.name, QString::number(spec.line), product,
                                         QDir::toNativeSeparators(productsIniPath)));
            }
        }
    }
    return warnings;
}

QString UnusableSqlConfiguration(const QString& productsIniPath, const QString& product)
{
    const auto refusal = [&productsIniPath](const QString& key, const QString& section, const QString& name,
                                            const QString& rule) {
        return QStringLiteral("Key %1 in section [%2] of %3 names \"%4\", which cannot go into a query: %5!")
            .arg(key, section, QDir::toNativeSeparators(productsIniPath), name, rule);
    };
    QStringList keys{QStringLiteral("TableName")};
    for (const char* key : kColumnKeys) {
        keys.append(QLatin1String(key));
    }
    for (const QString& key : std::as_const(keys)) {
        const QString name = ReadINI(product, key, productsIniPath);
        // A column name is enclosed in brackets unless it brings its own.
        const QString used = key == keys.first() ? name : BracketColumnName(name);
        if (!name.isEmpty() && !IsUsableSqlName(used)) {
            return refusal(key, product, name,
                           QStringLiteral("only a name, a [bracketed name] or schema.name can be used"));
        }
    }
    for (const ParameterSpec& spec : ReadSpecificationList(productsIniPath, product).parameters) {
        if (spec.field.contains(QLatin1Char(';')) || spec.field.contains(QLatin1Char('[')) ||
            spec.field.contains(QLatin1Char(']'))) {
            return refusal(QString::number(spec.line), product + QStringLiteral(" Spec"), spec.field,
                           QStringLiteral("a parameter column is written without ';' or brackets"));
        }
    }
    return {};
}

QString LimitText(double limit, double none)
{
    const QString text = NumberText(limit);
    return limit == none || !IsNumericText(text) ? QStringLiteral("N/A") : text;
}
