#include "DataRow.h"
#include "ScratchDatabase.h"
#include "TableDump.h"
#include "TestMain.h"
#include "XlsxFile.h"
#include "XlsxImport.h"
#include "XlsxWorkbook.h"

#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

// .xlsx worksheets as spreadsheet programs write them, cell kind by cell kind.
class TestWorkbooks : public QObject
{
    Q_OBJECT

private slots:
    void importsCells_data()
    {
        // rows: cell specifications (XlsxFile.h) of the sheet "Results"; expected: the copy as DumpTable
        // writes it, or the import's error, "%1" for the workbook's path.
        AddColumns<QList<QStringList>, bool, bool, QString>("rows", "date1904", "references", "expected");
        const auto row = [](const char* name, const QList<QStringList>& rows, const QString& expected,
                            bool date1904 = false, bool references = true) {
            QTest::newRow(name) << rows << date1904 << references << expected;
        };
        row("shared strings and numbers", {{"s:SN", "s:Vout"}, {"s:SN1", "n:5.07"}, {"s:SN2", "n:-1E-3"}},
            "SN TEXT, Vout REAL; 'SN1'|5.07; 'SN2'|-0.001");
        row("inline strings; empty strings and missing cells are Null",
            {{"s:A", "s:B", "s:C"}, {"is:x", "", "is:"}, {"s:", "is:y", "s:z"}},
            "A TEXT, B TEXT, C TEXT; 'x'|NULL|NULL; NULL|'y'|'z'");
        row("booleans, error values and formulas",
            {{"s:Ok", "s:Err", "s:F", "s:G"}, {"b:1", "e:#N/A", "fn:3.5", "fs:a"}, {"b:0", "n:2", "fn:4", "fs:b"}},
            "Ok REAL, Err REAL, F REAL, G TEXT; 1|NULL|3.5|'a'; 0|2|4|'b'");
        row("date formats, a percentage and an ISO date cell",
            {{"s:T", "s:D", "s:P", "s:I"}, {"d:45352.5", "d14:45352", "p:0.25", "iso:2024-03-01T10:20:30"}},
            "T TEXT, D TEXT, P REAL, I TEXT; '2024-03-01 12:00:00'|'2024-03-01 00:00:00'|0.25|'2024-03-01 10:20:30'");
        row("1904 date system", {{"s:T"}, {"d:43890.25"}}, "T TEXT; '2024-03-01 06:00:00'", true);
        row("a time that rounds to the next midnight", {{"s:T"}, {"d:45352.999999999"}},
            "T TEXT; '2024-03-02 00:00:00'");
        row("a number among texts in its shortest form", {{"s:SN"}, {"s:SN1"}, {"n:12345"}, {"n:0.10000000000000001"}},
            "SN TEXT; 'SN1'; '12345'; '0.1'");
        row("a text after numbers makes the column text", {{"s:V", "s:W"}, {"n:5.07", "n:1"}, {"s:x", "n:2"}},
            "V TEXT, W REAL; '5.07'|1; 'x'|2");
        row("names: blank and repeated; rows above the header and without values are left out",
            {{}, {"s:SN", "", "s:sn", "s:V"}, {"", "", "", ""}, {"s:A", "n:1", "n:2", "n:3"}},
            "SN TEXT, F2 REAL, F3 REAL, V REAL; 'A'|1|2|3");
        row("cells without references", {{"s:A", "s:B", "s:C"}, {"n:1", "", "n:3"}}, "A REAL, B REAL, C REAL; 1|NULL|3",
            false, false);
        row("cells after the last name are left out", {{"s:A"}, {"n:1", "n:2"}}, "A REAL; 1");
        row("a header without records", {{"s:A", "s:B"}}, "A TEXT, B TEXT");
        row("a shared string the workbook lacks", {{"s:A"}, {"x:<c r=\"A2\" t=\"s\"><v>7</v></c>"}},
            "File '%1' is damaged: cell A2 of worksheet 'Results' names a shared string the workbook lacks");
        row("a number that is none", {{"s:A", "s:B"}, {"n:1", "x:<c r=\"B2\"><v>1,5</v></c>"}},
            "File '%1' is damaged: cell B2 of worksheet 'Results' holds no number");
        row("cells that are not well-formed", {{"s:A"}, {"x:<c r=\"A2\"><v>1</c>"}},
            "File '%1' is damaged: its part 'xl/worksheets/sheet2.xml' is not well-formed XML (Opening and ending "
            "tag mismatch., line 2)");
    }

    void importsCells()
    {
        const auto [rows, date1904, references, expected] = FetchRow<QList<QStringList>, bool, bool, QString>();
        QTemporaryDir dir;
        const QString path = dir.filePath("book.xlsx");
        QVERIFY(WriteXlsx(path, {{"Other", {{"s:X"}}}, {"Results", rows}}, {date1904, references}));
        ScratchDatabase scratch;
        const QString error = ImportXlsxSheet(path, "results", scratch.db, "Copy$");
        QVERIFY2(error.isEmpty() || scratch.db.tables().isEmpty(), "a failed import leaves no table");
        QCOMPARE(error.isEmpty() ? DumpTable(scratch.db, "Copy$") : error, QString(expected).replace("%1", path));
    }

    // Sheets read in pieces by several threads: every row once, in the sheet's order, and a cell that
    // is not well-formed named on its line.
    void readsLongSheetsInOrder_data()
    {
        AddColumns<int, int, bool, QString>("rows", "badRow", "references", "expected");
        QTest::newRow("40,000 rows") << 40000 << 0 << true << "";
        QTest::newRow("40,000 rows without references, on one line") << 40000 << 0 << false << "";
        QTest::newRow("a cell not well-formed in row 35,000")
            << 40000 << 35000 << true
            << "File '%1' is damaged: its part 'xl/worksheets/sheet1.xml' is not well-formed XML (Opening and ending "
               "tag mismatch., line 35001)";
    }

    void readsLongSheetsInOrder()
    {
        const auto [rows, badRow, references, expected] = FetchRow<int, int, bool, QString>();
        QList<QStringList> cells{{"s:SN", "s:V"}};
        for (int i = 1; i < rows; ++i) {
            cells.append({"s:SN" + QString::number(i), i + 1 == badRow ? "x:<c><v>1</c>" : "n:" + QString::number(i)});
        }
        QTemporaryDir dir;
        const QString path = dir.filePath("long.xlsx");
        QVERIFY(WriteXlsx(path, {{"Results", cells}}, {false, references, references}));
        ScratchDatabase scratch;
        const QString outcome = ImportXlsxSheet(path, "Results", scratch.db, "Copy");
        QSqlQuery misplaced(scratch.db);
        if (outcome.isEmpty() &&
            misplaced.exec("SELECT count(*), sum(rowid <> V OR SN <> 'SN' || CAST(V AS INTEGER)) FROM Copy") &&
            misplaced.next()) {
            QCOMPARE(misplaced.value(0).toInt(), rows - 1);
            QCOMPARE(misplaced.value(1).toInt(), 0);
        }
        QCOMPARE(outcome, QString(expected).replace("%1", path));
    }

    void dateFormats_data()
    {
        AddColumns<QString, bool>("code", "date");
        const auto row = [](const char* code, bool date) { QTest::newRow(code) << QString(code) << date; };
        row("yyyy\\-mm\\-dd hh:mm:ss", true);
        row("mm:ss", true);
        row("[h]:mm", true);
        row("[$-409]m/d/yy h:mm AM/PM", true);
        row("General", false);
        row("0.00", false);
        row("0.0E+00", false);
        row("#,##0 \"days\"", false);
        row("[Red]0.00;[Blue]-0.00", false);
        row("0.00_);(0.00);\"-\"_)", false);
        row("\\d 0", false);
        row("0;[h]:mm", false); // only the first section counts
    }

    void dateFormats()
    {
        const auto [code] = FetchRow<QString>();
        QTEST(IsDateFormatCode(code), "date");
    }
};

TESSALY_TEST(TestWorkbooks)
#include "tst_workbooks.moc"
