#include "Connection.h"
#include "DataRow.h"
#include "DatabaseChoice.h"
#include "Recordset.h"
#include "ResultsFixtures.h"
#include "TestFiles.h"
#include "TestMain.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The first pages of a Jet file, as a copy interrupted between two pages leaves them.
qint64 wholePages(const QString& name, double share)
{
    return qint64(QFile(FixturePath(name)).size() / 4096 * share) * 4096;
}

// A journal as a writer leaves it when it stops in the middle of a change.
void leaveHotJournal(const QString& database)
{
    sqlite3* writer = nullptr;
    sqlite3_open(QFile::encodeName(database).constData(), &writer);
    sqlite3_exec(writer, "PRAGMA synchronous=OFF; BEGIN; DELETE FROM Results;", nullptr, nullptr, nullptr);
    QFile::copy(database + "-journal", database + ".saved");
    sqlite3_close(writer); // rolls back, and removes the journal
    QFile::rename(database + ".saved", database + "-journal");
}

// Sets an environment variable for the life of the object.
struct ScopedVariable
{
    ScopedVariable(const char* name, const QByteArray& value) : name(name), previous(qgetenv(name))
    {
        qputenv(name, value);
    }
    ~ScopedVariable() { previous.isNull() ? qunsetenv(name) : qputenv(name, previous); }
    const char* name;
    QByteArray previous;
};

// A test station writing results, and a user viewing them, each of their own.
constexpr uid_t kWriter = 65534;
constexpr uid_t kViewer = 65533;
const QStringList kAsWriter{"--reuid=65534", "--regid=65534", "--clear-groups", "sqlite3"};

// What the sqlite3 shell, run as the writer, says (nothing when all went well).
QString runAsWriter(const QString& database, const QString& sql)
{
    QProcess shell;
    shell.start("setpriv", kAsWriter + QStringList{database, sql});
    shell.waitForFinished();
    return QString::fromUtf8(shell.readAllStandardOutput() + shell.readAllStandardError()).trimmed();
}

void actAs(uid_t user)
{
    user ? (setegid(user), seteuid(user)) : (seteuid(0), setegid(0));
}

} // namespace

// Files that are cut off, damaged, oddly named or being written: a chart of part of the records
// must never appear, a message names the file and what is wrong with it, and a viewer never
// stands in a writer's way.
class TestDamagedFiles : public QObject
{
    Q_OBJECT

private slots:
    void openReadsAllOrFails_data()
    {
        // copyName: in the configuration folder, as ATE.INI names it; keep: bytes kept of the fixture, 0
        // all; patch overwrites the copy's bytes from patchAt; error: a pattern, %1 the copy's path, ""
        // when all 514 records are read.
        AddColumns<QString, QString, qint64, qint64, QByteArray, QString>("fixtureName", "copyName", "keep", "patchAt",
                                                                          "patch", "error");

        const QString v2000 = "results_small_v2000.mdb", v2003 = "results_small_v2003.mdb";
        const QString big = "results_200k_v2000.mdb", sqlite = "results_small.sqlite", xls = "results_small.xls";
        const QString damaged = "File '%1' is damaged: ";
        const auto lost = [&damaged](int records) {
            return damaged + QString("table 'Results' holds %1 records, but \\d+ can be read").arg(records);
        };
        const QString malformed = "database disk image is malformed";
        const QString stopped = damaged + "the import stopped \\((segmentation fault|aborted)\\)";
        const auto row = [](const char* name, const QString& file, const char* copy, qint64 keep, const QString& error,
                            qint64 patchAt = 0, const QByteArray& patch = {}) {
            QTest::newRow(name) << file << QString::fromUtf8(copy) << keep << patchAt << patch << error;
        };
        row("Jet cut within a page", v2000, "cut.mdb", ReadFile(FixturePath(v2000)).size() / 4,
            damaged + "it ends within a page");
        row("Jet cut in its table list", v2000, "cut.mdb", 10 * 4096, damaged + "its list of tables cannot be read");
        row("Jet cut in its table definition", v2000, "cut.mdb", 20 * 4096,
            damaged + "the definition of table 'Results' cannot be read");
        row("Jet 2002 cut to 80% of its pages", v2003, "cut.mdb", wholePages(v2003, 0.8), lost(514));
        row("200k Jet cut to 90% of its pages", big, "cut.mdb", wholePages(big, 0.9), lost(200014));
        row("Jet without the pages after its table", v2000, "cut.mdb", 40 * 4096, "");
        row("Jet name with a semicolon", v2000, "a;b.mdb", 0, "");
        row("SQLite cut within its last page", sqlite, "cut.sqlite", ReadFile(FixturePath(sqlite)).size() - 1000,
            malformed);
        row("SQLite cut by whole pages", sqlite, "cut.sqlite", ReadFile(FixturePath(sqlite)).size() - 3 * 4096,
            malformed);
        row("SQLite with a damaged page", sqlite, "page.sqlite", 0, malformed, 12 * 4096, QByteArray(1, 0));
        row("SQLite name with a semicolon and a quote", sqlite, "a;\"b.sqlite", 0, "");
        row("SQLite with a writer's hot journal", sqlite, "hot.sqlite", 0,
            "The database '%1' cannot be read: a writer stopped in the middle of a change and left its journal "
            "'hot.sqlite-journal'. The change is undone when a station next opens the database for writing");
        // One byte each that makes the library itself crash.
        row("Jet that crashes mdbtools", v2003, "crash.mdb", 0, stopped, 8247, QByteArray(1, char(162)));
        row("workbook that crashes FreeXL", xls, "crash.xls", 0, stopped, 72945, QByteArray(1, 0));
        row("workbook header without ATEID", xls, "header.xls", 0,
            "The header row of worksheet 'Results' in '%1' lacks column ATEID",
            ReadFile(FixturePath(xls)).indexOf("ATEID"), "ATE-D");
        const QString xlsx = "results_small.xlsx", csv = "results_small.csv";
        row(".xlsx workbook cut in half", xlsx, "cut.xlsx", FixtureBytes(xlsx).size() / 2,
            damaged + "it cannot be read as a ZIP archive \\(Not a zip archive\\)");
        const QByteArray log = ReadFile(FixturePath(csv));
        row("CSV log with a quote that is not closed", csv, "log.csv", 0,
            damaged + "the quoted field that begins on line 6 is not closed", log.indexOf("SN100005"), "\"");
        row("CSV log with a record short of a field", csv, "log.csv", 0,
            damaged + "line 11 has 8 fields, the header has 9", log.indexOf(",", log.indexOf("SN100010")), ";");
        row("CSV log whose header lacks ATEID", csv, "log.csv", 0, "The header row of '%1' lacks column ATEID",
            log.indexOf("ATEID"), "ATE-D");
    }

    void openReadsAllOrFails()
    {
        auto [fixtureName, copyName, keep, patchAt, patch, error] =
            FetchRow<QString, QString, qint64, qint64, QByteArray, QString>();
        QTemporaryDir dir;
        const QString previous = QDir::currentPath();
        QDir::setCurrent(dir.path());
        QByteArray bytes = FixtureBytes(fixtureName);
        bytes.truncate(keep > 0 ? keep : bytes.size());
        bytes.replace(patchAt, patch.size(), patch);
        QVERIFY(WriteFile(copyName, bytes));
        if (copyName.startsWith("hot")) {
            leaveHotJournal(copyName);
        }
        QVERIFY(QDir().mkdir("tmp"));
        QString message;
        qint64 count = 0;
        {
            // A library that crashes here does so on purpose: a sanitizer's report of it stays with
            // the test. An import's temporary copy goes to a folder of the test's own, to be seen removed.
            const ScopedVariable asan("ASAN_OPTIONS",
                                      "handle_segv=0:detect_leaks=0:log_path=" + dir.filePath("asan").toUtf8());
            const ScopedVariable temp("TMPDIR", dir.filePath("tmp").toUtf8());
            const DatabaseChoice choice = ChooseDatabase({copyName, {}, {}, {}, {}}, "P", "Results");
            Connection connection;
            Recordset records; // as opening a product lists its sources
            if (connection.open(choice.connectionText) &&
                records.Open(connection, "SELECT [ATEID] FROM " + choice.tableName + ";")) {
                for (; !records.isEOF(); records.MoveNext()) {
                    ++count;
                }
            }
            message = connection.state() ? records.lastError() : connection.lastError();
        }
        QDir::setCurrent(previous);
        // The copy of CSV logs lives on while the program runs, to be brought up to date; one whose
        // import failed is removed.
        const bool liveCopy = copyName.endsWith(".csv") && !message.startsWith("File ");
        QCOMPARE(QDir(dir.filePath("tmp")).isEmpty(), !liveCopy);
        const QString pattern = error.replace("%1", QRegularExpression::escape(copyName));
        QVERIFY2(QRegularExpression(QRegularExpression::anchoredPattern(pattern)).match(message).hasMatch(),
                 qPrintable(message));
        QCOMPARE(count, error.isEmpty() ? 514 : 0);
    }

    void viewerNeverStandsInAWritersWay_data()
    {
        // sharedFolder: writable by the viewer too, else by the writer only; writerStarts: 0 not, 1 before
        // the viewer opens, 2 before it reads; noted: the viewer reads a snapshot and says so.
        AddColumns<bool, int, bool>("sharedFolder", "writerStarts", "noted");
        QTest::newRow("shared folder") << true << 0 << false;
        QTest::newRow("shared folder, writer running") << true << 1 << false;
        QTest::newRow("shared folder, writer starting") << true << 2 << false;
        QTest::newRow("writer's folder") << false << 0 << true;
        QTest::newRow("writer's folder, writer running") << false << 1 << false;
    }

    void viewerNeverStandsInAWritersWay()
    {
        const auto [sharedFolder, writerStarts, noted] = FetchRow<bool, int, bool>();
        if (geteuid() != 0) {
            QSKIP("Two users take root: the writer and the viewer run as uids 65534 and 65533.");
        }
        QTemporaryDir top;
        chmod(QFile::encodeName(top.path()).constData(), 0755);
        const QString folder = top.filePath("results");
        const QString database = folder + "/results.sqlite";
        QVERIFY(QDir().mkdir(folder) && QFile::copy(FixturePath("results_small.sqlite"), database));
        for (const QString& path : {folder, database}) {
            QCOMPARE(chown(QFile::encodeName(path).constData(), kWriter, kWriter), 0);
        }
        chmod(QFile::encodeName(folder).constData(), sharedFolder ? 0777 : 0755);
        QCOMPARE(runAsWriter(database, "PRAGMA journal_mode=WAL;"), QString("wal"));

        QProcess writer; // holds its connection, and so its -wal and -shm files, open
        const auto startWriter = [&] {
            writer.start("setpriv", kAsWriter + QStringList{database});
            writer.write("INSERT INTO Results (SerialNumber) VALUES ('LIVE');\n.print committed\n");
            writer.waitForReadyRead(10000);
        };
        if (writerStarts == 1) {
            startWriter();
        }
        actAs(kViewer); // and back to root before any check can end the test
        Connection connection;
        Recordset records;
        bool read = connection.open("Provider=SQLite;Data Source=" + database + ";");
        if (writerStarts == 2) {
            actAs(0);
            startWriter();
            actAs(kViewer);
        }
        read = read && records.Open(connection, QStringLiteral("SELECT 1 FROM Results;"));
        const QString error = connection.state() ? records.lastError() : connection.lastError();
        const QStringList notes = connection.notes();
        connection.close();
        actAs(0);
        QVERIFY2(read, qPrintable(error));
        QCOMPARE(records.RecordCount(), writerStarts ? 515 : 514);
        QCOMPARE(notes.size(), noted ? 1 : 0);
        for (const QFileInfo& file : QDir(folder).entryInfoList(QDir::Files)) {
            QVERIFY2(file.ownerId() == kWriter, qPrintable(file.fileName() + " is left by the viewer"));
        }
        const QString later = "INSERT INTO Results (SerialNumber) VALUES ('LATER');";
        if (writerStarts) {
            writer.write(later.toUtf8() + "\n");
            writer.closeWriteChannel();
            QVERIFY(writer.waitForFinished());
        }
        QCOMPARE(writerStarts ? QString::fromUtf8(writer.readAllStandardError()) : runAsWriter(database, later),
                 QString());
    }

    // A writer moving its log into the file while a snapshot is read may mix old and new pages:
    // any change of the file's size, time or identity is noticed, and a new snapshot is whole.
    void snapshotNoticesAChangedFile_data()
    {
        AddColumns<qint64, qint64, bool>("grownBy", "laterByMs", "replaced");
        QTest::newRow("modified a second later") << qint64(0) << qint64(1000) << false;
        QTest::newRow("modified a millisecond later") << qint64(0) << qint64(1) << false;
        QTest::newRow("grown, its time kept") << qint64(4096) << qint64(0) << false;
        QTest::newRow("replaced by a copy of the same size and time") << qint64(0) << qint64(0) << true;
    }

    void snapshotNoticesAChangedFile()
    {
        const auto [grownBy, laterByMs, replaced] = FetchRow<qint64, qint64, bool>();
        QTemporaryDir dir;
        const QString database = dir.filePath("results.sqlite");
        QVERIFY(QFile::copy(FixturePath("results_small.sqlite"), database));
        QProcess::execute("sqlite3", {database, "PRAGMA journal_mode=WAL;"});
        const QDateTime modified(QDate(2024, 3, 1), QTime(8, 0));
        const auto change = [&database, &modified](qint64 grownBy, qint64 laterByMs) {
            QFile file(database);
            return file.open(QIODevice::ReadWrite) && file.resize(file.size() + grownBy) &&
                   file.setFileTime(modified.addMSecs(laterByMs), QFile::FileModificationTime);
        };
        QVERIFY(change(0, 0));
        Connection connection;
        QString engineSql;
        QVERIFY(connection.open("Provider=SQLite;Data Source=" + database + ";"));
        QVERIFY(connection.prepare(QStringLiteral("SELECT 1;"), engineSql) && connection.snapshotIntact());
        if (replaced) {
            QVERIFY(QFile::copy(database, database + ".new") &&
                    std::rename(qPrintable(database + ".new"), qPrintable(database)) == 0);
        }
        QVERIFY(change(grownBy, laterByMs));
        QVERIFY(!connection.snapshotIntact());
        QVERIFY(connection.prepare(QStringLiteral("SELECT 1;"), engineSql) && connection.snapshotIntact());
    }

    void textComparesWithoutCaseInEveryScript_data()
    {
        AddColumns<QString, QString, int>("left", "right", "order"); // order: -1, 0 or 1
        const auto row = [](const char* name, const char* left, const char* right, int order) {
            QTest::newRow(name) << QString::fromUtf8(left) << QString::fromUtf8(right) << order;
        };
        row("accent, lower and upper", "sné1", "SNÉ1", 0);
        row("Greek", "Ωmega", "ωMEGA", 0);
        row("accent after ASCII", "é", "F", 1);
        row("ASCII before punctuation", "_", "a", -1);
        row("ASCII prefix", "ab", "A", 1);
    }

    // On a SQLite file and on a table imported from a Jet file alike.
    void textComparesWithoutCaseInEveryScript()
    {
        const auto [left, right, order] = FetchRow<QString, QString, int>();
        QTemporaryDir dir;
        for (const auto& [file, provider] : {std::pair{"results_small.sqlite", "SQLite"},
                                             std::pair{"results_small_v2000.mdb", "Microsoft.Jet.OLEDB.4.0"}}) {
            QVERIFY(QFile::copy(FixturePath(file), dir.filePath(file)));
            Connection connection;
            Recordset records;
            QVERIFY(connection.open(QString("Provider=%1;Data Source=%2;").arg(provider, dir.filePath(file))));
            QVERIFY(records.Open(connection, QStringLiteral("SELECT count(*) FROM Results;")));
            QSqlQuery compare(connection.database());
            compare.prepare("SELECT :left = :right COLLATE NOCASE, :left < :right COLLATE NOCASE");
            compare.bindValue(":left", left);
            compare.bindValue(":right", right);
            QVERIFY(compare.exec() && compare.next());
            QCOMPARE(compare.value(0).toBool() ? 0 : compare.value(1).toBool() ? -1 : 1, order);
        }
    }
};

TESSALY_TEST(TestDamagedFiles)
#include "tst_damagedfiles.moc"
