#include "DataRow.h"
#include "FileImport.h"
#include "TestFiles.h"
#include "TestMain.h"

#include <QFile>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kColumns = QStringLiteral("SerialNumber, ATEID, TestStartTime, PassFail, TestID, Vout, Iin, Ripple, Eff");
constexpr int kFirstValue = 5; // the columns from Vout on are numbers
// Named with a blank and a '$' as the import cache names sheet copies.
const QString kTarget = QStringLiteral("Copy of Results$");

// A record as one line, for comparing row sets of any order: Null as "<null>", numbers with all
// 17 digits so that only the same double gives the same text.
QString numberText(double v)
{
    return QString::number(v, 'g', 17);
}

QStringList csvRows(int count)
{
    QFile file(FixturePath(QStringLiteral("results_small.csv")));
    file.open(QIODevice::ReadOnly | QIODevice::Text);
    file.readLine(); // header
    QStringList rows;
    while (!file.atEnd() && rows.size() < count) {
        QStringList fields = QString::fromUtf8(file.readLine()).trimmed().split(QLatin1Char(','));
        for (int i = 0; i < fields.size(); ++i) {
            if (fields[i].isEmpty()) {
                fields[i] = QStringLiteral("<null>");
            } else if (i >= kFirstValue) {
                fields[i] = numberText(fields[i].toDouble());
            }
        }
        rows << fields.join(QLatin1Char('|'));
    }
    rows.sort();
    return rows;
}

QStringList importedRows(QSqlDatabase& db)
{
    QSqlQuery q(db);
    q.exec(QStringLiteral("SELECT %1 FROM [%2]").arg(kColumns, kTarget));
    QStringList rows;
    while (q.next()) {
        QStringList fields;
        for (int i = 0; i < 9; ++i) {
            const QVariant v = q.value(i);
            fields << (v.isNull()         ? QStringLiteral("<null>")
                       : i >= kFirstValue ? numberText(v.toDouble())
                                          : v.toString());
        }
        rows << fields.join(QLatin1Char('|'));
    }
    rows.sort();
    return rows;
}

QString import(const QString& file, const QString& table, QSqlDatabase& db)
{
    return file.endsWith(QLatin1String(".xls")) ? ImportXlsSheet(file, table, db, kTarget)
                                                : ImportMdbTable(file, table, db, kTarget);
}

} // namespace

class TestFileImport : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir_;
    QSqlDatabase db_;

    // A copy of a fixture, once per test run.
    QString copyOf(const QString& name)
    {
        const QString path = dir_.filePath(name);
        if (!QFile::exists(path)) {
            QFile::copy(FixturePath(name), path);
            QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        }
        return path;
    }

private slots:
    void init()
    {
        QVERIFY(dir_.isValid());
        db_ = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fileimport"));
        db_.setDatabaseName(QStringLiteral(":memory:"));
        QVERIFY(db_.open());
    }

    void cleanup()
    {
        db_.close();
        db_ = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("fileimport"));
    }

    void copiesEveryValue_data()
    {
        AddColumns<QString, QString, int>("file", "table", "rows");
        const QString v2000 = QStringLiteral("results_small_v2000.mdb");
        const QString xls = QStringLiteral("results_small.xls");
        QTest::newRow("Jet 2000") << v2000 << QStringLiteral("Results") << 514;
        QTest::newRow("Jet 2000, name in lower case") << v2000 << QStringLiteral("results") << 514;
        QTest::newRow("Jet 2000, name with a blank") << v2000 << QStringLiteral("OTHER RESULTS") << 50;
        QTest::newRow("Jet 2002-2003") << QStringLiteral("results_small_v2003.mdb") << QStringLiteral("Results") << 514;
        QTest::newRow("Excel") << xls << QStringLiteral("Results") << 514;
        QTest::newRow("Excel, name in other case") << xls << QStringLiteral("sHEET1") << 50;
    }

    // Every value arrives unchanged, numbers stored as numbers, date-times as ISO text and texts
    // compared without case (so that SQL compares and aggregates them as the program expects).
    void copiesEveryValue()
    {
        const auto [file, table, rows] = FetchRow<QString, QString, int>("file", "table", "rows");
        const QString path = copyOf(file);
        // A table of the target's name from an earlier copy is replaced.
        QSqlQuery(db_).exec(QStringLiteral("CREATE TABLE [%1] (Stale TEXT)").arg(kTarget));
        QSqlQuery(db_).exec(QStringLiteral("INSERT INTO [%1] VALUES ('old')").arg(kTarget));

        QCOMPARE(import(path, table, db_), QString());

        const QStringList imported = importedRows(db_);
        const QStringList expected = csvRows(rows);
        QCOMPARE(imported, expected);
        const QStringList columns = kColumns.split(QStringLiteral(", "));
        for (int i = 0; i < columns.size(); ++i) {
            const QString expected = i >= kFirstValue ? QStringLiteral("real") : QStringLiteral("text");
            QSqlQuery q(db_);
            QVERIFY(q.exec(QStringLiteral("SELECT count(*) FROM [%1] WHERE %2 IS NOT NULL AND typeof(%2) <> '%3'")
                               .arg(kTarget, columns[i], expected)));
            QVERIFY(q.next());
            QVERIFY2(q.value(0).toInt() == 0, qPrintable(columns[i]));
        }
        QSqlQuery passed(db_); // SNLOWER's verdict is written "pass"
        QVERIFY(passed.exec(QStringLiteral("SELECT count(*) FROM [%1] WHERE PassFail = 'PASS'").arg(kTarget)));
        QVERIFY(passed.next());
        const QRegularExpression pass("^([^|]*\\|){3}pass\\|", QRegularExpression::CaseInsensitiveOption);
        QCOMPARE(passed.value(0).toInt(), expected.filter(pass).size());
    }

    void describesWhatCannotBeRead_data()
    {
        AddColumns<QString, bool, QString, QString>("file", "asExcel", "table", "message");
        const auto row = [](const char* name, const char* file, bool asExcel, const char* table, const char* message) {
            QTest::newRow(name) << QString(file) << asExcel << QString(table) << QString(message);
        };
        row("no such table", "results_small_v2000.mdb", false, "Result",
            "The Microsoft Jet database engine cannot find the input table or query 'Result'.  Make sure it exists and "
            "that its name is spelled correctly.");
        row("no such sheet", "results_small.xls", true, "Sheet 1",
            "'Sheet 1$' is not a valid name.  Make sure that it does not include invalid characters or punctuation "
            "and that it is not too long.");
        row("workbook read as Jet", "results_small.xls", false, "Results", "Unrecognized database format '%1'.");
        row("Jet read as workbook", "results_small_v2000.mdb", true, "Results",
            "External table is not in the expected format.");
    }

    void describesWhatCannotBeRead()
    {
        const auto [file, asExcel, table, message] =
            FetchRow<QString, bool, QString, QString>("file", "asExcel", "table", "message");
        const QString path = copyOf(file);
        const QString error =
            asExcel ? ImportXlsSheet(path, table, db_, kTarget) : ImportMdbTable(path, table, db_, kTarget);
        QCOMPARE(error, message.contains(QLatin1String("%1")) ? message.arg(path) : message);
        QCOMPARE(db_.tables(), QStringList());
    }
};

TESSALY_TEST(TestFileImport)
#include "tst_fileimport.moc"
