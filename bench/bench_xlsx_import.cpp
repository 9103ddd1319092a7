// Opening a product on a 200,000-record .xlsx workbook (the import into SQLite and the source
// list) against a plain read of the same sheet: libzip inflating the worksheet and its shared
// strings and Qt's XML stream reader taking every token. Opening must not be slower.
//   bench_xlsx_import [records]
#include "BenchSupport.h"
#include "Connection.h"
#include "FreedMemory.h"
#include "Recordset.h"
#include "XlsxFile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <cstdio>
#include <random>
#include <zip.h>

namespace {

constexpr int kRuns = 5; // alternating, the median of each side counts

// A results sheet as a station's export: texts shared, the start time a date serial, four values.
bool writeWorkbook(const QString& path, int records)
{
    std::mt19937 random(20240611);
    std::normal_distribution<double> noise(0.0, 1.0);
    QList<QStringList> rows{{"s:SerialNumber", "s:ATEID", "s:TestStartTime", "s:PassFail", "s:TestID", "s:Vout",
                             "s:Iin", "s:Ripple", "s:Eff"}};
    const double start = ExcelSerial(QStringLiteral("2024-01-01 00:00:00"));
    for (int i = 0; i < records; ++i) {
        const auto number = [&](double mean, double sigma) {
            return QStringLiteral("n:") + QString::number(mean + sigma * noise(random), 'g', 6);
        };
        rows.append({QStringLiteral("s:SN%1").arg(i, 7, 10, QLatin1Char('0')),
                     QStringLiteral("s:ATE-0%1").arg(1 + i % 4),
                     QStringLiteral("d:") + QString::number(start + i * 45.0 / 86400.0, 'g', 15),
                     i % 53 ? QStringLiteral("s:PASS") : QStringLiteral("s:FAIL"), QStringLiteral("s:T1"),
                     number(5.0, 0.03), number(0.8, 0.01), number(12.0, 2.0), number(91.5, 0.6)});
    }
    return WriteXlsx(path, {{QStringLiteral("Results"), rows}});
}

// The plain read: every token of the shared strings and of the worksheet, their texts taken.
double plainReadSeconds(const QString& path, qint64& characters)
{
    QElapsedTimer timer;
    timer.start();
    int error = 0;
    zip_t* archive = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &error);
    characters = 0;
    for (const char* part : {"xl/sharedStrings.xml", "xl/worksheets/sheet1.xml"}) {
        zip_file_t* file = archive ? zip_fopen(archive, part, 0) : nullptr;
        if (!file) {
            std::printf("cannot read %s of %s\n", part, qPrintable(path));
            return 1e9;
        }
        QXmlStreamReader xml;
        std::vector<char> piece(1 << 18);
        zip_int64_t got = 0;
        while ((got = zip_fread(file, piece.data(), piece.size())) > 0) {
            xml.addData(QByteArray(piece.data(), got));
            while (!xml.atEnd() && xml.readNext() != QXmlStreamReader::Invalid) {
                if (xml.isCharacters()) {
                    characters += xml.text().size();
                }
            }
        }
        zip_fclose(file);
    }
    zip_discard(archive);
    return timer.nsecsElapsed() / 1e9;
}

// Opening a product as the main window does: the connection, then the source list, which copies
// the sheet on first use. Each run reads its own copy of the file, so no run finds it imported.
double openProductSeconds(const QString& path, const QString& copy, qint64& sources)
{
    QFile::remove(copy);
    QFile::copy(path, copy);
    QElapsedTimer timer;
    timer.start();
    Connection connection;
    Recordset list;
    if (!connection.open(QStringLiteral("Provider=Microsoft.ACE.OLEDB.12.0;Data Source=") + copy +
                         QStringLiteral(";Extended Properties=\"Excel 12.0 Xml;HDR=YES\";")) ||
        !list.Open(connection,
                   QStringLiteral("SELECT [ATEID] AS ATEx FROM [Results$] GROUP BY [ATEID] ORDER BY [ATEID];"))) {
        std::printf("opening failed: %s %s\n", qPrintable(connection.lastError()), qPrintable(list.lastError()));
        return 1e9;
    }
    for (sources = 0; !list.isEOF(); list.MoveNext()) {
        ++sources;
    }
    return timer.nsecsElapsed() / 1e9;
}

} // namespace

int main(int argc, char** argv)
{
    ReturnLargeBlocksAtOnce(); // as the program does
    QCoreApplication app(argc, argv);
    const int records = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 200000;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("results.xlsx"));
    if (!writeWorkbook(path, records)) {
        std::printf("cannot write %s\n", qPrintable(path));
        return 1;
    }
    std::printf("workbook of %d records: %lld bytes\n", records, QFile(path).size());
    std::vector<double> plain, open;
    qint64 characters = 0, sources = 0;
    plainReadSeconds(path, characters); // the file in the page cache for both sides
    for (int run = 0; run < kRuns; ++run) {
        plain.push_back(plainReadSeconds(path, characters));
        open.push_back(openProductSeconds(path, dir.filePath(QStringLiteral("copy-%1.xlsx").arg(run)), sources));
    }
    const double ratio = median(open) / median(plain);
    std::printf("plain libzip + XML read (%lld characters): %.3f s (median of %d)\n", characters, median(plain), kRuns);
    std::printf("opening the product (import and %lld sources): %.3f s (median of %d)\n", sources, median(open), kRuns);
    std::printf("RESULT xlsx_import value=%.3f target=1.0 %s\n", ratio, ratio <= 1.0 ? "pass" : "fail");
    return 0;
}
