#include "DataRow.h"
#include "FileImport.h"
#include "ResultsFixtures.h"
#include "ScratchDatabase.h"
#include "TestFiles.h"
#include "TestMain.h"

#include <QTemporaryDir>
#include <QTest>

class TestFileImport : public QObject
{
    Q_OBJECT

private slots:
    void describesWhatCannotBeRead_data()
    {
        AddColumns<QString, ImportFormat, QString, QString>("file", "format", "table", "message");
        const auto row = [](const char* name, const char* file, ImportFormat format, const char* table,
                            const char* message) {
            QTest::newRow(name) << QString(file) << format << QString(table) << QString(message);
        };
        const ImportFormat jet = ImportFormat::Jet, excel = ImportFormat::Excel, xlsx = ImportFormat::Xlsx;
        row("no such table", "results_small_v2000.mdb", jet, "Result",
            "The Microsoft Jet database engine cannot find the input table or query 'Result'.  Make sure it exists and "
            "that its name is spelled correctly.");
        row("no such sheet", "results_small.xls", excel, "Sheet 1",
            "'Sheet 1$' is not a valid name.  Make sure that it does not include invalid characters or punctuation "
            "and that it is not too long.");
        row("workbook read as Jet", "results_small.xls", jet, "Results", "Unrecognized database format '%1'.");
        row("Jet read as workbook", "results_small_v2000.mdb", excel, "Results",
            "External table is not in the expected format.");
        row("no such sheet in an .xlsx workbook", "results_small.xlsx", xlsx, "Sheet 1",
            "'Sheet 1$' is not a valid name.  Make sure that it does not include invalid characters or punctuation "
            "and that it is not too long.");
        row("Excel 97-2003 workbook read as .xlsx", "results_small.xls", xlsx, "Results",
            "External table is not in the expected format.");
    }

    void describesWhatCannotBeRead()
    {
        const auto [file, format, table, message] = FetchRow<QString, ImportFormat, QString, QString>();
        QTemporaryDir dir;
        const QString path = dir.filePath(file);
        QVERIFY(WriteFile(path, FixtureBytes(file)));
        ScratchDatabase scratch;
        // Named with a blank and a '$' as the import cache names sheet copies.
        const QString error = ImportTable(format, path, table, scratch.db, QStringLiteral("Copy of Results$"));
        QCOMPARE(error, message.contains(QLatin1String("%1")) ? message.arg(path) : message);
        QCOMPARE(scratch.db.tables(), QStringList());
    }
};

TESSALY_TEST(TestFileImport)
#include "tst_fileimport.moc"
