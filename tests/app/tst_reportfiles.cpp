#include "AppFixture.h"
#include "DataRow.h"
#include "Formats.h"
#include "TestFiles.h"
#include "TestMain.h"
#include "VersionText.h"

#include <QDirIterator>
#include <QProcess>
#include <QRegularExpression>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

// `tessaly report` run as a scheduler runs it: a child process without display or session, from
// a folder of its own ("temp" of the fixture, beside "config"), with a temporary folder of its own
// that it must leave empty.
namespace {

struct Run
{
    int status = -1;
    QString out, err;
};

Run RunProgram(const AppFixture& app, QStringList arguments, const QString& folder, rlim_t fileSizeLimit = 0)
{
    if (arguments.constFirst() == "report") {
        arguments =
            QStringList{"report", "--config", app.configFolder()} +
            QString("--product Line --parameter Vout --from 2024-03-01 --to 2024-03-01 --chart individual").split(' ') +
            arguments.mid(1);
    } else if (arguments.constFirst() == "screen") {
        arguments = QStringList{"screen", "--config", app.configFolder()} +
                    QString("--product Line --from 2024-03-01 --to 2024-03-01").split(' ') + arguments.mid(1);
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_RUNTIME_DIR"}) {
        env.remove(name);
    }
    const QTemporaryDir temp;
    env.insert("TMPDIR", temp.path());
    if (arguments.constFirst() == "snapshot") { // the window drawn into a picture, as `make demo` does
        env.insert("TESSALY_SNAPSHOT", QDir(folder).filePath(arguments.at(1)));
        env.insert("TESSALY_SETTINGS", QDir(folder).filePath("settings.ini"));
        const QByteArray day = ShortDateText(QDate(2024, 3, 1), QLocale::system()).toUtf8();
        WriteFile(QDir(folder).filePath("settings.ini"),
                  "[SaveConfig]\nRange=Custom\nCustomStart=" + day + "\nCustomEnd=" + day + "\n");
        env.insert("XDG_CACHE_HOME", QDir(folder).filePath("cache"));
        env.insert("QT_QPA_PLATFORM", "offscreen");
        arguments = QStringList{"--config", app.configFolder()};
    }
    QProcess process;
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(folder);
    if (fileSizeLimit > 0) { // as a full disk stops a write
        process.setChildProcessModifier([fileSizeLimit] {
            const rlimit limit{fileSizeLimit, fileSizeLimit};
            setrlimit(RLIMIT_FSIZE, &limit);
        });
    }
    process.start(TESSALY_BINARY, arguments);
    process.waitForFinished(60000);
    for (QDirIterator it(temp.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();) {
        qWarning("left in the temporary folder: %s", qPrintable(it.next()));
        return {};
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAllStandardOutput(),
            process.readAllStandardError()};
}

// A file size limit above the raw-data listing of the 20 records, below each output of them.
constexpr int kAboveListing = 2048;

} // namespace

class TestReportFiles : public QObject
{
    Q_OBJECT

private slots:
    // Help, version and reports need no display, and Qt's notices stay off standard error. A
    // relative output path is taken from the starting folder; files the report reads are never
    // written over, however they are named.
    void runsAndNamesItsFiles_data()
    {
        AddColumns<QStringList, bool, int, QStringList, QString>("arguments", "inConfig", "status", "written",
                                                                 "printed");
        const auto row = [](const char* name, const QString& arguments, int status, const QStringList& written,
                            const QString& printed, bool inConfig = false) {
            QTest::newRow(name) << arguments.split(' ') << inConfig << status << written << printed;
        };
        row("the window's snapshot", "snapshot window.png", 0, {"temp/window.png"}, "Main window rendered to");
        row("help", "--help", 0, {}, "--config <folder>");
        row("version", "--version", 0, {}, "Tessaly " + VersionText() + "\n");
        row("relative names", "report --png a.png --json sub/../a.json", 0, {"temp/a.png", "temp/a.json"}, "");
        row("a new file beside the database", "report --pdf ../config/new.pdf --json -", 0, {"config/new.pdf"},
            "\"product\": \"Line\"");
        row("the database by its name", "report --png line.sqlite", 2, {},
            "will not write %1/config/line.sqlite: ", true);
        row("the database's journal, not there yet", "report --json line.sqlite-journal", 2, {},
            "will not write %1/config/line.sqlite-journal: ", true);
        row("its WAL from elsewhere", "report --json ../config/line.sqlite-wal", 2, {},
            "will not write %1/config/line.sqlite-wal: ");
        row("JSON to /dev/stdout", "report --json /dev/stdout", 0, {}, "\"product\": \"Line\"");
        row("PRODUCTS.INI from elsewhere", "report --svg ../config/Products.INI", 2, {},
            "will not write %1/config/Products.INI: ");
        row("screen, CSV to standard output", "screen --csv -", 0, {}, "\r\nOutput Voltage,V,20,5.00550");
        row("screen, JSON and a page", "screen --json - --html s.html", 0, {"temp/s.html"}, "\"n\": 20,");
        row("ATE.INI through a link", "report --png a.png --json ate.ini", 2, {}, "will not write %1/temp/ate.ini: ");
    }

    void runsAndNamesItsFiles()
    {
        const auto [arguments, inConfig, status, written, printed] =
            FetchRow<QStringList, bool, int, QStringList, QString>();
        AppFixture app;
        app.writeResults(AppFixture::Series(20, {5.01, 4.98, 5.03}));
        const QDir root(QFileInfo(app.configFolder()).absolutePath());
        QFile::link(root.filePath("config/ate.ini"), root.filePath("temp/ate.ini"));
        QMap<QString, QByteArray> configuration;
        for (const QString& name : QDir(app.configFolder()).entryList(QDir::Files)) {
            configuration.insert(name, ReadFile(root.filePath("config/" + name)));
        }

        const Run run = RunProgram(app, arguments, inConfig ? app.configFolder() : app.tempFolder());
        QCOMPARE(run.status, status);
        QVERIFY2((status == 0 ? run.out : run.err).contains(printed.arg(root.path())), qPrintable(run.out + run.err));
        QCOMPARE(status == 0 ? run.err : QString(), QString());
        for (const QString& file : written) {
            QVERIFY2(QFileInfo(root.filePath(file)).size() > 0, qPrintable(file));
        }
        for (const QString& file : written.filter(".json")) { // every byte the same run prints
            QStringList printing = arguments;
            printing.replaceInStrings(QRegularExpression(".*\\.json$"), "-");
            QCOMPARE(ReadFile(root.filePath(file)), RunProgram(app, printing, app.tempFolder()).out.toUtf8());
        }
        QCOMPARE(QDir(app.configFolder()).entryList(QDir::Files).size(),
                 configuration.size() + written.filter("config/").size());
        for (auto file = configuration.cbegin(); file != configuration.cend(); ++file) {
            QVERIFY2(ReadFile(root.filePath("config/" + file.key())) == file.value(), qPrintable(file.key()));
        }
    }

    // An output aimed at a pipe or a device is written into it, never renamed over it.
    void writesIntoPipesAndDevices_data()
    {
        AddColumns<QStringList, bool, QByteArray>("arguments", "device", "received");
        QTest::newRow("report JSON into a FIFO")
            << QStringList{"report", "--json", "node"} << false << QByteArray("{\n");
        QTest::newRow("screen CSV into a FIFO")
            << QStringList{"screen", "--csv", "node"} << false << QByteArray("Parameter,Unit,");
        QTest::newRow("PNG into a device") << QStringList{"report", "--png", "node"} << true << QByteArray();
        QTest::newRow("PDF pages into a device")
            << QStringList{"report", "--pdf", "node", "--pages", "all"} << true << QByteArray();
    }

    void writesIntoPipesAndDevices()
    {
        const auto [arguments, device, received] = FetchRow<QStringList, bool, QByteArray>();
        if (device && geteuid() != 0) {
            QSKIP("a device node is made by root only");
        }
        AppFixture app;
        app.writeResults(AppFixture::Series(20, {5.01, 4.98, 5.03}));
        const QByteArray node = QFile::encodeName(app.tempFolder() + "/node");
        QCOMPARE(device ? mknod(node, S_IFCHR | 0666, makedev(1, 3)) : mkfifo(node, 0600), 0);
        const int reader = device ? -1 : open(node, O_RDONLY | O_NONBLOCK);
        const Run run = RunProgram(app, arguments, app.tempFolder());
        QByteArray got(received.size(), '\0');
        if (!device) {
            got.resize(std::max<ssize_t>(read(reader, got.data(), got.size()), 0));
            close(reader);
        }
        QCOMPARE(run.status, 0);
        struct stat after = {};
        QCOMPARE(stat(node, &after), 0);
        QVERIFY(device ? S_ISCHR(after.st_mode) : S_ISFIFO(after.st_mode));
        QCOMPARE(got, received);
    }

    // A write that fails names the file and the system's reason, ends with status 4 and leaves no
    // file, neither under its name nor beside it.
    void failedWritesLeaveNothing_data()
    {
        AddColumns<QStringList, int>("outputs", "sizeLimit");
        QTest::newRow("png") << QStringList{"--png", "out/chart.png"} << kAboveListing;
        QTest::newRow("svg") << QStringList{"--svg", "out/chart.svg"} << kAboveListing;
        QTest::newRow("pdf") << QStringList{"--pdf", "out/chart.pdf"} << kAboveListing;
        QTest::newRow("pdf, every page") << QStringList{"--pdf", "out/chart.pdf", "--pages", "all"} << kAboveListing;
        QTest::newRow("json") << QStringList{"--json", "out/numbers.json"} << kAboveListing;
        QTest::newRow("the raw-data listing") << QStringList{"--json", "out/numbers.json"} << 200;
    }

    void failedWritesLeaveNothing()
    {
        const auto [outputs, sizeLimit] = FetchRow<QStringList, int>();
        AppFixture app;
        app.writeResults(AppFixture::Series(20, {5.01, 4.98, 5.03}));
        const QDir out(app.tempFolder() + "/out");
        out.mkpath(".");
        const Run run = RunProgram(app, QStringList{"report"} + outputs, app.tempFolder(), sizeLimit);
        const QString file = sizeLimit == kAboveListing
                                 ? QRegularExpression::escape("tessaly report: Cannot write " +
                                                              QDir(app.tempFolder()).absoluteFilePath(outputs.at(1)))
                                 : "Cannot write the raw-data listing /.+/listing\\.spc";
        QVERIFY2(QRegularExpression("^" + file + ": File too large!?\n$").match(run.err).hasMatch(),
                 qPrintable(run.err));
        QCOMPARE(run.status, 4);
        QCOMPARE(out.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
    }
};

TESSALY_TEST(TestReportFiles)
#include "tst_reportfiles.moc"
