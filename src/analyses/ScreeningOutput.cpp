// The screening's table as the window, CSV, JSON and HTML show it.
#include "CsvField.h"
#include "Formats.h"
#include "MarkupText.h"
#include "Screening.h"

#include <QJsonArray>
#include <QLocale>
#include <algorithm>
#include <array>
#include <cmath>

namespace {

constexpr std::array<ScreeningColumn, kScreeningColumnCount> kColumns = {
    ScreeningColumn::Parameter,    ScreeningColumn::Unit,      ScreeningColumn::N,
    ScreeningColumn::Mean,         ScreeningColumn::SD,        ScreeningColumn::LSL,
    ScreeningColumn::USL,          ScreeningColumn::Pp,        ScreeningColumn::Ppk,
    ScreeningColumn::Cpk,          ScreeningColumn::OutOfSpec, ScreeningColumn::OutOfSpecPercent,
    ScreeningColumn::BeyondLimits, ScreeningColumn::Signals,   ScreeningColumn::Limits};

// The JSON names, column for column.
constexpr std::array<const char*, kScreeningColumnCount> kJsonNames = {
    "parameter",        "unit",         "n",       "mean",  "sd", "lsl", "usl", "pp", "ppk", "cpk", "outOfSpec",
    "outOfSpecPercent", "beyondLimits", "signals", "limits"};

bool isCount(ScreeningColumn column)
{
    return column == ScreeningColumn::N || column == ScreeningColumn::OutOfSpec ||
           column == ScreeningColumn::BeyondLimits || column == ScreeningColumn::Signals;
}

// A measured value's decimals: three, or as many as four significant digits need below 1
// (at most nine).
int measuredDecimals(double value)
{
    const double magnitude = std::abs(value);
    return magnitude == 0 || magnitude >= 1 ? 3
                                            : std::clamp(3 - static_cast<int>(std::floor(std::log10(magnitude))), 3, 9);
}

QString measuredText(double value)
{
    return FormatNumber(value, QStringLiteral("#,##0.0") + QString(measuredDecimals(value) - 1, QLatin1Char('#')));
}

bool isMeasured(ScreeningColumn column)
{
    return column == ScreeningColumn::Mean || column == ScreeningColumn::SD || column == ScreeningColumn::LSL ||
           column == ScreeningColumn::USL;
}

// Where a Ppk stands: below 1.0 the process does not meet its limits, below 1.33 it barely does.
QString ppkClass(const Statistic& ppk)
{
    if (!ppk || *ppk >= 1.33) {
        return {};
    }
    return *ppk < 1.0 ? QStringLiteral("poor") : QStringLiteral("marginal");
}

// A cell with its number unrounded in the C locale, for files that programs read.
QString plainText(const ScreeningRow& row, ScreeningColumn column)
{
    if (IsScreeningTextColumn(column)) {
        return ScreeningText(row, column);
    }
    const Statistic number = ScreeningNumber(row, column);
    return number ? QString::number(*number, 'g', QLocale::FloatingPointShortest) : QStringLiteral("N/A");
}

constexpr char kPageStyle[] = R"(<style>
body { font-family: sans-serif; margin: 1.5em; color: #222; }
h1 { font-size: 1.3em; }
table { border-collapse: collapse; }
th, td { border: 1px solid #bbb; padding: 0.25em 0.6em; }
td.number { text-align: right; font-variant-numeric: tabular-nums; }
th { background: #eee; cursor: pointer; user-select: none; }
th[aria-sort=ascending]::after { content: " \25B2"; }
th[aria-sort=descending]::after { content: " \25BC"; }
tr.poor td.ppk { background: #f4a6a6; }
tr.marginal td.ppk { background: #f8e08e; }
p.legend span { padding: 0 0.5em; }
</style>)";

// Sorts the table by the clicked header: numbers by their value, "N/A" last either way; a second
// click reverses.
constexpr char kPageScript[] = R"(<script>
document.querySelectorAll("th").forEach(function (header, column) {
  header.addEventListener("click", function () {
    var body = header.closest("table").tBodies[0];
    var ascending = header.getAttribute("aria-sort") !== "ascending";
    document.querySelectorAll("th").forEach(function (h) { h.removeAttribute("aria-sort"); });
    header.setAttribute("aria-sort", ascending ? "ascending" : "descending");
    var rows = Array.prototype.slice.call(body.rows);
    rows.sort(function (a, b) {
      var x = a.cells[column].dataset.value, y = b.cells[column].dataset.value;
      if (x === undefined || y === undefined) {
        var s = a.cells[column].textContent.localeCompare(b.cells[column].textContent);
        return ascending ? s : -s;
      }
      if (x === "") return y === "" ? 0 : 1;
      if (y === "") return -1;
      return ascending ? x - y : y - x;
    });
    rows.forEach(function (row) { body.appendChild(row); });
  });
});
</script>)";

} // namespace

bool IsScreeningTextColumn(ScreeningColumn column)
{
    return column == ScreeningColumn::Parameter || column == ScreeningColumn::Unit || column == ScreeningColumn::Limits;
}

QString ScreeningCaption(ScreeningColumn column)
{
    switch (column) {
    case ScreeningColumn::Parameter:
        return QStringLiteral("Parameter");
    case ScreeningColumn::Unit:
        return QStringLiteral("Unit");
    case ScreeningColumn::N:
        return QStringLiteral("N");
    case ScreeningColumn::Mean:
        return QStringLiteral("Mean");
    case ScreeningColumn::SD:
        return QStringLiteral("SD");
    case ScreeningColumn::LSL:
        return QStringLiteral("LSL");
    case ScreeningColumn::USL:
        return QStringLiteral("USL");
    case ScreeningColumn::Pp:
        return QStringLiteral("Pp");
    case ScreeningColumn::Ppk:
        return QStringLiteral("Ppk");
    case ScreeningColumn::Cpk:
        return QStringLiteral("Cpk");
    case ScreeningColumn::OutOfSpec:
        return QStringLiteral("Out of spec");
    case ScreeningColumn::OutOfSpecPercent:
        return QStringLiteral("Out of spec %");
    case ScreeningColumn::BeyondLimits:
        return QStringLiteral("Beyond limits");
    case ScreeningColumn::Signals:
        return QStringLiteral("WE signals");
    case ScreeningColumn::Limits:
        return QStringLiteral("Limits");
    }
    return {};
}

Statistic ScreeningNumber(const ScreeningRow& row, ScreeningColumn column)
{
    switch (column) {
    case ScreeningColumn::Parameter:
    case ScreeningColumn::Unit:
    case ScreeningColumn::Limits:
        return std::nullopt;
    case ScreeningColumn::N:
        return static_cast<double>(row.n);
    case ScreeningColumn::Mean:
        return row.mean;
    case ScreeningColumn::SD:
        return row.sd;
    case ScreeningColumn::LSL:
        return row.lsl;
    case ScreeningColumn::USL:
        return row.usl;
    case ScreeningColumn::Pp:
        return row.pp;
    case ScreeningColumn::Ppk:
        return row.ppk;
    case ScreeningColumn::Cpk:
        return row.cpk;
    case ScreeningColumn::OutOfSpec:
        return static_cast<double>(row.outOfSpec);
    case ScreeningColumn::OutOfSpecPercent:
        return row.outOfSpecPercent;
    case ScreeningColumn::BeyondLimits:
        return static_cast<double>(row.beyondLimits);
    case ScreeningColumn::Signals:
        return static_cast<double>(row.weSignals);
    }
    return std::nullopt;
}

QString ScreeningText(const ScreeningRow& row, ScreeningColumn column)
{
    if (column == ScreeningColumn::Parameter) {
        return row.name;
    }
    if (column == ScreeningColumn::Unit) {
        return row.unit;
    }
    if (column == ScreeningColumn::Limits) {
        return row.frozenLimits ? QStringLiteral("frozen") : QStringLiteral("computed");
    }
    const Statistic number = ScreeningNumber(row, column);
    if (!number) {
        return QStringLiteral("N/A");
    }
    switch (column) {
    case ScreeningColumn::Mean:
    case ScreeningColumn::SD:
    case ScreeningColumn::LSL:
    case ScreeningColumn::USL:
        return measuredText(*number);
    case ScreeningColumn::OutOfSpecPercent:
        return FormatNumber(*number, QStringLiteral("#,##0.00"));
    default:
        return FormatNumber(*number, isCount(column) ? QStringLiteral("#,##0") : kValueFormat);
    }
}

int ScreeningDecimals(const QList<ScreeningRow>& rows, ScreeningColumn column)
{
    if (IsScreeningTextColumn(column) || isCount(column)) {
        return 0;
    }
    if (column == ScreeningColumn::OutOfSpecPercent) {
        return 2;
    }
    qsizetype decimals = 1;
    for (const ScreeningRow& row : rows) {
        if (const Statistic number = ScreeningNumber(row, column)) {
            QString text = QString::number(*number, 'f', isMeasured(column) ? measuredDecimals(*number) : 3);
            while (text.endsWith(QLatin1Char('0'))) {
                text.chop(1);
            }
            decimals = std::max(decimals, text.size() - text.indexOf(QLatin1Char('.')) - 1);
        }
    }
    return static_cast<int>(decimals);
}

QString ScreeningText(const ScreeningRow& row, ScreeningColumn column, int decimals)
{
    const Statistic number = ScreeningNumber(row, column);
    if (!number || IsScreeningTextColumn(column)) {
        return ScreeningText(row, column);
    }
    return FormatNumber(*number, decimals > 0 ? QStringLiteral("#,##0.") + QString(decimals, QLatin1Char('0'))
                                              : QStringLiteral("#,##0"));
}

QByteArray ScreeningCsv(const ScreeningResult& result)
{
    QByteArrayList fields;
    for (const ScreeningColumn column : kColumns) {
        fields.append(CsvTextField(ScreeningCaption(column)));
    }
    QByteArray csv = fields.join(',') + "\r\n";
    for (const ScreeningRow& row : result.rows) {
        fields.clear();
        for (const ScreeningColumn column : kColumns) {
            const QString cell = plainText(row, column);
            fields.append(IsScreeningTextColumn(column) ? CsvTextField(cell) : cell.toUtf8());
        }
        csv += fields.join(',') + "\r\n";
    }
    return csv;
}

QJsonObject ScreeningJson(const ScreeningResult& result)
{
    QJsonArray parameters;
    for (const ScreeningRow& row : result.rows) {
        QJsonObject line;
        for (size_t i = 0; i < kColumns.size(); ++i) {
            const ScreeningColumn column = kColumns[i];
            const Statistic number = ScreeningNumber(row, column);
            const QJsonValue value = IsScreeningTextColumn(column) ? QJsonValue(ScreeningText(row, column))
                                     : !number                     ? QJsonValue(QJsonValue::Null)
                                     : isCount(column)             ? QJsonValue(static_cast<qint64>(*number))
                                                                   : QJsonValue(*number);
            line.insert(QLatin1String(kJsonNames[i]), value);
        }
        line.insert(QStringLiteral("note"), row.note);
        parameters.append(line);
    }
    return {{QStringLiteral("records"), result.records}, {QStringLiteral("parameters"), parameters}};
}

QByteArray ScreeningHtml(const ScreeningResult& result, const QString& title)
{
    QString page = QStringLiteral("<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>") +
                   title.toHtmlEscaped() + QStringLiteral("</title>\n") + QLatin1String(kPageStyle) +
                   QStringLiteral("\n</head>\n<body>\n<h1>") + title.toHtmlEscaped() + QStringLiteral("</h1>\n");
    page += QStringLiteral("<p>%1 records, %2 parameters, worst first (Ppk ascending). Click a header to sort.</p>\n")
                .arg(FormatNumber(static_cast<double>(result.records), QStringLiteral("#,##0")))
                .arg(result.rows.size());
    page += QStringLiteral("<p class=\"legend\"><span style=\"background:#f4a6a6\">Ppk &lt; 1.0</span> "
                           "<span style=\"background:#f8e08e\">Ppk &lt; 1.33</span></p>\n<table>\n<thead><tr>");
    for (const ScreeningColumn column : kColumns) {
        page += QStringLiteral("<th>") + ScreeningCaption(column).toHtmlEscaped() + QStringLiteral("</th>");
    }
    page += QStringLiteral("</tr></thead>\n<tbody>\n");
    std::array<int, kScreeningColumnCount> decimals{};
    for (const ScreeningColumn column : kColumns) {
        decimals[static_cast<size_t>(column)] = ScreeningDecimals(result.rows, column);
    }
    for (const ScreeningRow& row : result.rows) {
        const QString rowClass = ppkClass(row.ppk);
        page += rowClass.isEmpty() ? QStringLiteral("<tr>") : QStringLiteral("<tr class=\"%1\">").arg(rowClass);
        for (const ScreeningColumn column : kColumns) {
            QString attributes;
            if (!IsScreeningTextColumn(column)) {
                const Statistic number = ScreeningNumber(row, column);
                attributes =
                    QStringLiteral(" class=\"number%1\" data-value=\"%2\"")
                        .arg(column == ScreeningColumn::Ppk ? QStringLiteral(" ppk") : QString(),
                             number ? QString::number(*number, 'g', QLocale::FloatingPointShortest) : QString());
            }
            page += QStringLiteral("<td") + attributes + QLatin1Char('>') + ScreeningText(row, column, decimals[static_cast<size_t>(column)]).toHtmlEscaped() +
                    QStringLiteral("</td>");
        }
        page += QStringLiteral("</tr>\n");
    }
    page +=
        QStringLiteral("</tbody>\n</table>\n") + QLatin1String(kPageScript) + QStringLiteral("\n</body>\n</html>\n");
    return WithoutControlCharacters(page.toUtf8());
}
