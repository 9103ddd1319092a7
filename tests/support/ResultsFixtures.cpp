#include "ResultsFixtures.h"

#include "TestFiles.h"
#include "XlsxFile.h"

#include <QDateTime>
#include <QDir>
#include <QTemporaryDir>

namespace {

// The fixture's records, fields split at the commas (it quotes nothing); the header first.
QList<QStringList> fixtureRows(const QString& csvPath)
{
    QList<QStringList> rows;
    for (const QByteArray& line : ReadFile(csvPath).trimmed().split('\n')) {
        rows.append(QString::fromUtf8(line).trimmed().split(QLatin1Char(',')));
    }
    return rows;
}

constexpr int kTimeColumn = 2;

QString dateIn(const QString& iso, LogStyle style)
{
    const QDateTime at = QDateTime::fromString(iso, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (style == LogStyle::DayFirstDots) {
        return at.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
    }
    if (style == LogStyle::MonthFirstAmPm) {
        return QLocale::c().toString(at, QStringLiteral("M/d/yyyy h:mm:ss AP"));
    }
    return iso;
}

} // namespace

QByteArray FixtureBytes(const QString& name)
{
    if (name != QLatin1String("results_small.xlsx")) {
        return ReadFile(FixturePath(name));
    }
    const QTemporaryDir dir;
    const QString path = dir.filePath(name);
    return WriteResultsWorkbook(FixturePath(QStringLiteral("results_small.csv")), path) ? ReadFile(path) : QByteArray();
}

bool WriteResultsWorkbook(const QString& csvPath, const QString& xlsxPath)
{
    const QList<QStringList> rows = fixtureRows(csvPath);
    QList<QStringList> cells;
    for (qsizetype r = 0; r < rows.size(); ++r) {
        QStringList& row = cells.emplace_back();
        for (qsizetype c = 0; c < rows[r].size(); ++c) {
            const QString& value = rows[r][c];
            row.append(value.isEmpty()             ? QString()
                       : r > 0 && c == kTimeColumn ? QStringLiteral("d:") + QString::number(ExcelSerial(value), 'g', 17)
                       : r > 0 && c > 4            ? QStringLiteral("n:") + value
                                                   : QStringLiteral("s:") + value);
        }
    }
    return WriteXlsx(xlsxPath, {{QStringLiteral("Results"), cells}, {QStringLiteral("Sheet1"), cells.mid(0, 51)}});
}

bool WriteResultsLog(const QString& csvPath, const QString& logPath, LogStyle style, int first, int count)
{
    const QList<QStringList> rows = fixtureRows(csvPath);
    const char* delimiters[] = {",", ";", ";", "\t", ";"};
    const QString delimiter = QLatin1String(delimiters[int(style)]);
    const QString lineEnd = style == LogStyle::IsoQuoted ? QStringLiteral("\r\n") : QStringLiteral("\n");
    QString text = style == LogStyle::IsoQuoted ? QStringLiteral("\uFEFF") : QString();
    const auto line = [&](QStringList fields) {
        if (style == LogStyle::IsoQuoted) {
            for (QString& field : fields) {
                field = QLatin1Char('"') + field.replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
            }
        }
        text += fields.join(delimiter) + lineEnd;
    };
    const bool extra = style == LogStyle::ExtraColumnHeader;
    line(rows[0] + (extra ? QStringList{QStringLiteral("Operator")} : QStringList()));
    for (const QStringList& row : rows.mid(first + 1, count)) {
        QStringList fields = row;
        fields[kTimeColumn] = dateIn(fields[kTimeColumn], style);
        line(fields + (extra ? QStringList{QStringLiteral("Jo")} : QStringList()));
    }
    return WriteFile(logPath, text.toUtf8());
}

bool WriteResultsLogFolder(const QString& csvPath, const QString& folder)
{
    const QDir dir(folder);
    return (dir.exists() || QDir().mkpath(folder)) &&
           WriteResultsLog(csvPath, dir.filePath(QStringLiteral("2024-03-05.csv")), LogStyle::IsoQuoted, 0, 257) &&
           WriteResultsLog(csvPath, dir.filePath(QStringLiteral("2024-03-06.csv")), LogStyle::IsoSemicolons, 257,
                           257) &&
           WriteResultsLog(csvPath, dir.filePath(QStringLiteral("2024-03-07.csv")), LogStyle::ExtraColumnHeader, 0, 10);
}
