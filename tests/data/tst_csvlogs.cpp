#include "Connection.h"
#include "CsvImport.h"
#include "CsvParser.h"
#include "CsvValues.h"
#include "DataRow.h"
#include "Recordset.h"
#include "ResultsFixtures.h"
#include "ScratchDatabase.h"
#include "TableDump.h"
#include "TestFiles.h"
#include "TestMain.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QTemporaryDir>
#include <QTest>

namespace {

const char* const kCopy = "CSV";

// "name=content" writes a file of the folder, "-name" removes it. A file written again is dated
// later than before, however fast the test runs.
void applyChanges(const QDir& folder, const QStringList& changes)
{
    for (const QString& change : changes) {
        if (change.startsWith('-')) {
            QVERIFY(QFile::remove(folder.filePath(change.mid(1))));
            continue;
        }
        const qsizetype eq = change.indexOf('=');
        const QString path = folder.filePath(change.left(eq));
        const QDateTime before = QFileInfo(path).lastModified();
        QVERIFY(WriteFile(path, change.mid(eq + 1).toUtf8()));
        QFile file(path);
        QVERIFY(!before.isValid() || (file.open(QIODevice::ReadWrite) &&
                                      file.setFileTime(before.addSecs(2), QFileDevice::FileModificationTime)));
    }
}

// The file as a reader that reads it again would find it changed: other bytes of the same size
// and the same modification time.
void disguise(const QString& path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    const QDateTime modified = file.fileTime(QFileDevice::FileModificationTime);
    QVERIFY(file.write(QByteArray(file.size(), 'Z')) == file.size());
    QVERIFY(file.setFileTime(modified, QFileDevice::FileModificationTime));
}

// The copy ImportCsvLogs makes of `source`, as DumpTable writes it, or the import's error.
QString importedCopy(const QString& source, QSqlDatabase& db)
{
    const QString error = ImportCsvLogs(source, db, kCopy);
    return error.isEmpty() ? DumpTable(db, kCopy) : error;
}

} // namespace

// CSV logs as test stations write them: the fields, the values, the folder that grows.
class TestCsvLogs : public QObject
{
    Q_OBJECT

private slots:
    void splitsRecords_data()
    {
        // records: "line:field|field" each, " / " between them; "unclosed at N" for a quote left open
        AddColumns<QByteArray, QString>("text", "records");
        const auto row = [](const char* name, const QByteArray& text, const char* records) {
            QTest::newRow(name) << text << QString(records);
        };
        row("commas", "a,b,c\n1,2,3\n", "1:a|b|c / 2:1|2|3");
        row("semicolons, as the header uses them most", "a;b;c,d\n1;2;3,4\n", "1:a|b|c,d / 2:1|2|3,4");
        row("tabs, no line break at the end", "a\tb\n1\t2", "1:a|b / 2:1|2");
        row("as many commas as semicolons: commas", "a,b;c\n1,2;3\n", "1:a|b;c / 2:1|2;3");
        row("a quoted delimiter in the header counts for nothing", "\"a,b\";c;d\n1;2;3", "1:a,b|c|d / 2:1|2|3");
        row("quoted delimiters, line breaks and doubled quotes", "a,b\r\n\"x,y\",\"say \"\"hi\"\"\nbye\"\r\n3,4\r\n",
            "1:a|b / 2:x,y|say \"hi\"\nbye / 4:3|4");
        row("byte-order mark and blank lines",
            "\xEF\xBB\xBF"
            "a,b\r\n\r\n1,2\n\n",
            "1:a|b / 3:1|2");
        row("empty fields and a delimiter at the end", "a,b,c\n,,\n1,,", "1:a|b|c / 2:|| / 3:1||");
        row("text after a closing quote, a quote inside a field", "a,b\n\"x\"y,ab\"c\n", "1:a|b / 2:xy|ab\"c");
        row("a quote that is not closed", "a,b\n1,2\n3,\"x\n4,5\n", "1:a|b / 2:1|2 / unclosed at 3");
        row("nothing", "", "");
    }

    void splitsRecords()
    {
        const auto [text] = FetchRow<QByteArray>();
        CsvParser parser(std::string_view(text.constData(), size_t(text.size())));
        parser.detectDelimiter();
        QStringList records;
        std::vector<std::string_view> fields;
        CsvParser::Result result;
        while ((result = parser.next(fields)) == CsvParser::Result::Record) {
            QStringList values;
            for (const std::string_view field : fields) {
                values.append(QString::fromUtf8(field.data(), qsizetype(field.size())));
            }
            records.append(QString::number(parser.line()) + ":" + values.join('|'));
        }
        if (result == CsvParser::Result::UnclosedQuote) {
            records.append("unclosed at " + QString::number(parser.line()));
        }
        QTEST(records.join(" / "), "records");
    }

    void readsValues_data()
    {
        // number: "-" for none; shape: the form a field shows; iso: the date-time in that form, "-" for none.
        AddColumns<QByteArray, QString, QString, QString>("field", "number", "shape", "iso");
        const auto row = [](const char* field, const char* number, const char* shape, const char* iso) {
            QTest::newRow(field) << QByteArray(field) << QString(number) << QString(shape) << QString(iso);
        };
        row("5.07", "5.07", "none", "-");
        row(" -1.5e-3 ", "-0.0015", "none", "-");
        row("+7", "7", "none", "-");
        row(".5", "0.5", "none", "-");
        row("1,5", "-", "none", "-");
        row("+-1", "-", "none", "-");
        row("inf", "-", "none", "-");
        row("nan", "-", "none", "-");
        row("0x10", "-", "none", "-");
        row("2024-03-01 10:20:30", "-", "year first", "2024-03-01 10:20:30");
        row("2024/03/01", "-", "year first", "2024-03-01 00:00:00");
        row("2024-03-01T10:20:30.987", "-", "year first", "2024-03-01 10:20:30");
        row("2024-03-01 10:20:30Z", "-", "none", "-");
        row("01.03.2024 10:20", "-", "day first", "2024-03-01 10:20:00");
        row("1-3-2024 7:05:09", "-", "day first", "2024-03-01 07:05:09");
        row("01.03.24", "-", "none", "-");
        row("3/1/2024 1:05:09 PM", "-", "month first", "2024-03-01 13:05:09");
        row("12/1/2024 12:30:00 am", "-", "month first", "2024-12-01 00:30:00");
        row("13/01/2024 10:00", "-", "day first with slashes", "2024-01-13 10:00:00");
        row("01/13/2024", "-", "month first", "2024-01-13 00:00:00");
        row("05/06/2024", "-", "month first, either way", "2024-05-06 00:00:00");
        row("2024-02-30", "-", "year first", "-");
        row("2024-03-01 24:00", "-", "year first", "-");
        row("13/13/2024", "-", "month first", "-");
    }

    void readsValues()
    {
        const auto [field] = FetchRow<QByteArray>();
        const std::string_view text(field.constData(), size_t(field.size()));
        const std::optional<double> number = CsvNumber(text);
        QTEST(number ? QString::number(*number, 'g', QLocale::FloatingPointShortest) : QString("-"), "number");
        const DateShape shape = CsvDateShape(text);
        const QStringList names{"none", "year first", "day first", "month first", "day first with slashes"};
        QTEST(names[int(shape.form)] + (shape.slashesEitherWay ? ", either way" : ""), "shape");
        char iso[20] = {};
        QTEST(CsvIsoDateTime(text, shape.form, iso) ? QString(iso) : QString("-"), "iso");
    }

    void importsColumns_data()
    {
        // expected: the copy of a file of that content, as DumpTable writes it
        AddColumns<QByteArray, QString>("content", "expected");
        const auto row = [](const char* name, const QByteArray& content, const char* expected) {
            QTest::newRow(name) << content << QString(expected);
        };
        row("types from the values; a number in a text column as written", "SN,V,W\nA1,12.50,1\nA2,x,2.5\n",
            "SN TEXT, V TEXT, W REAL; 'A1'|'12.50'|1; 'A2'|'x'|2.5");
        row("empty fields are Null; the first value decides the date form", "T;V\n;\n01.03.2024 10:20;5\n",
            "T TEXT, V REAL; NULL|NULL; '2024-03-01 10:20:00'|5");
        row("a value of another form is kept as written", "T\n2024-03-01 10:00\n01.03.2024\n",
            "T TEXT; '2024-03-01 10:00:00'; '01.03.2024'");
        row("slashes: a value that tells the order wins over the locale", "T\n03/04/2024 10:00\n13/04/2024 10:00\n",
            "T TEXT; '2024-04-03 10:00:00'; '2024-04-13 10:00:00'");
        row("slashes: without one, the locale's order (month first here)", "T\n03/04/2024\n",
            "T TEXT; '2024-03-04 00:00:00'");
        row("slashes in both orders are kept as written", "T\n13/01/2024\n01/13/2024\n",
            "T TEXT; '13/01/2024'; '01/13/2024'");
        row("a 12-hour clock", "T\n3/1/2024 12:05:09 AM\n3/1/2024 1:05:09 PM\n",
            "T TEXT; '2024-03-01 00:05:09'; '2024-03-01 13:05:09'");
        row("blank and repeated names", "SN,,sn\n1,2,3\n", "SN REAL, F2 REAL, F3 REAL; 1|2|3");
        row("a header without records", "A;B\n", "A TEXT, B TEXT");
        row("no header", "", "The CSV file '%1' holds no header row.");
    }

    void importsColumns()
    {
        const auto [content, expected] = FetchRow<QByteArray, QString>();
        QTemporaryDir dir;
        const QString path = dir.filePath("log.csv");
        QVERIFY(WriteFile(path, content));
        ScratchDatabase scratch;
        QCOMPARE(importedCopy(path, scratch.db), QString(expected).replace("%1", path));
    }

    void bringsCopyUpToDate_data()
    {
        // files: the folder's first state; changes (applyChanges) before it is read again; readsAll: every
        // file is read again, else the files that stay are disguised so that reading one again would show;
        // expected: the copy after that, and the notes, "%1" for the folder.
        AddColumns<QStringList, QStringList, bool, QString, QStringList>("files", "changes", "readsAll", "expected",
                                                                         "notes");
        const auto row = [](const char* name, const QStringList& files, const QStringList& changes, bool readsAll,
                            const char* expected, const QStringList& notes = {}) {
            QTest::newRow(name) << files << changes << readsAll << QString(expected) << notes;
        };
        const QString a = "a.csv=SN,V\nA,1\n", b = "b.csv=SN,V\nB,2\n", c = "c.csv=SN,V\nC,3\n";
        row("a new file between two others", {a, c}, {b}, false, "SN TEXT, V REAL; 'A'|1; 'B'|2; 'C'|3");
        row("a file that grew", {a, b}, {"b.csv=SN,V\nB,2\nB2,22\n"}, false, "SN TEXT, V REAL; 'A'|1; 'B'|2; 'B2'|22");
        row("a file that changed in the middle", {a, b, c}, {"b.csv=SN,V\nBB,20\n"}, false,
            "SN TEXT, V REAL; 'A'|1; 'BB'|20; 'C'|3");
        row("a file changed to the same size", {a, b, c}, {"b.csv=SN,V\nB,7\n"}, false,
            "SN TEXT, V REAL; 'A'|1; 'B'|7; 'C'|3");
        row("a file that is gone", {a, b}, {"-a.csv"}, false, "SN TEXT, V REAL; 'B'|2");
        row("the first file is gone: a skipped one names the columns", {a, "b.csv=SN,V,W\nB,2,9\n"}, {"-a.csv"}, true,
            "SN TEXT, V REAL, W REAL; 'B'|2|9");
        row("nothing changed", {a, b}, {}, false, "SN TEXT, V REAL; 'A'|1; 'B'|2");
        row("a log just started", {a}, {"b.csv="}, false, "SN TEXT, V REAL; 'A'|1");
        row("a file of another header is skipped and named", {a}, {"b.csv=SN,V,Operator\nB,2,Jo\n"}, false,
            "SN TEXT, V REAL; 'A'|1",
            {"The CSV file '%1/b.csv' is skipped: its header differs from that of '%1/a.csv'."});
        row("a text in a number column reads all again", {a}, {"b.csv=SN,V\nB,n/a\n"}, true,
            "SN TEXT, V TEXT; 'A'|'1'; 'B'|'n/a'");
        row("a column without values takes its date form from a new file", {"a.csv=SN,T\nA,\n"},
            {"b.csv=SN,T\nB,01.03.2024 10:00\n"}, true, "SN TEXT, T TEXT; 'A'|NULL; 'B'|'2024-03-01 10:00:00'");
        row("a new first header reads all again", {b}, {"a.csv=SN,V,W\nA,1,9\n"}, true,
            "SN TEXT, V REAL, W REAL; 'A'|1|9",
            {"The CSV file '%1/b.csv' is skipped: its header differs from that of '%1/a.csv'."});
    }

    void bringsCopyUpToDate()
    {
        const auto [files, changes, readsAll, expected, notes] =
            FetchRow<QStringList, QStringList, bool, QString, QStringList>();
        QTemporaryDir dir;
        const QDir folder(dir.filePath("logs"));
        QVERIFY(folder.mkpath("."));
        applyChanges(folder, files);
        ScratchDatabase scratch;
        QCOMPARE(ImportCsvLogs(folder.path(), scratch.db, kCopy), QString());
        applyChanges(folder, changes);
        for (const QString& file : readsAll ? QStringList() : files) {
            const QString name = file.section('=', 0, 0);
            if (!changes.join('\n').contains(name) && folder.exists(name)) {
                disguise(folder.filePath(name));
            }
        }
        QCOMPARE(importedCopy(folder.path(), scratch.db), expected);
        QCOMPARE(CsvImportNotes(scratch.db).join('\n'), notes.join('\n').replace("%1", folder.path()));
    }

    // Through the program's connection: the skipped day is named, a new day is read by the next
    // query, a day that is gone no longer counts.
    void connectionFollowsTheFolder()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath("logs");
        const QString fixture = FixturePath("results_small.csv");
        QVERIFY(WriteResultsLogFolder(fixture, folder));
        Connection connection;
        QVERIFY(connection.open("Provider=Microsoft.ACE.OLEDB.12.0;Data Source=" + folder +
                                ";Extended Properties=\"text;HDR=Yes;FMT=Delimited\";"));
        const auto count = [&connection] {
            Recordset records;
            return records.Open(connection, QStringLiteral("SELECT [SerialNumber] FROM [CSV];")) ? records.RecordCount()
                                                                                                 : -1;
        };
        QCOMPARE(count(), 514);
        QCOMPARE(connection.warnings(), QStringList{"The CSV file '" + folder +
                                                    "/2024-03-07.csv' is skipped: its header differs from that of '" +
                                                    folder + "/2024-03-05.csv'."});
        const QString next = QDir(folder).filePath("2024-03-08.csv");
        QVERIFY(WriteResultsLog(fixture, next, LogStyle::IsoSemicolons, 0, 3));
        QCOMPARE(count(), 517);
        QVERIFY(QFile::remove(next));
        QCOMPARE(count(), 514);
    }
};

TESSALY_TEST(TestCsvLogs)
#include "tst_csvlogs.moc"
