#include "AppFixture.h"

#include "ResultsTable.h"
#include "TestFiles.h"
#include "ui_frmMain.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

namespace {
const QByteArray kAteIni = "[ATE Configuration]\r\n"
                           "TestProduct=Small, Other Small\r\n" // the blank stays in the list item
                           "TestID=FT1,FT2,RETEST\r\n"
                           "TestIDDefault=FT2\r\n"
                           "[Database]\r\n"
                           "DatabaseName=C:\\Data\\results_small.sqlite\r\n";

const QByteArray kProductsIni = "[Small]\r\n"
                                "TableName=Results\r\n"
                                "[Small Spec]\r\n"
                                "1=Vout,4.75,5.25,0,V,Output,Output Voltage\r\n"
                                "2=Iin,N/A,2.5,0,A,,Input Current\r\n"
                                "3=Ripple,0,999O,0,,,Ripple\r\n" // a letter O for a zero: no limit
                                "5=Eff,80,100,0,%,,Efficiency\r\n"
                                "6=<EOT>,,,,,,\r\n"
                                "[Other Small]\r\n"
                                "TableName=Results\r\n"
                                "ATEID=[SerialNumber]\r\n"
                                "[Other Small Spec]\r\n"
                                "1=Eff,80,100,0,%,,Efficiency\r\n"
                                "2=<eot>\r\n";
} // namespace

AppFixture::AppFixture()
    : settings(m_root.filePath(QStringLiteral("settings.ini"))), m_previousDirectory(QDir::currentPath()),
      m_previousTemp(qgetenv("TEMP"))
{
    QDir(m_root.path()).mkpath(QStringLiteral("config"));
    QDir(m_root.path()).mkpath(QStringLiteral("temp"));
    // Lower-case names on disk: the program finds them without regard to case.
    writeConfigFile(QStringLiteral("ate.ini"), kAteIni);
    writeConfigFile(QStringLiteral("Products.INI"), kProductsIni);
    // A copy of the database, writable like any file of a user.
    const QString database = configFile(QStringLiteral("results_small.sqlite"));
    QFile::copy(FixturePath(QStringLiteral("results_small.sqlite")), database);
    QFile(database).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    qputenv("TEMP", tempFolder().toLocal8Bit());
}

AppFixture::~AppFixture()
{
    window.reset();
    QDir::setCurrent(m_previousDirectory);
    qputenv("TEMP", m_previousTemp);
}

void AppFixture::writeConfigFile(const QString& name, const QByteArray& content) const
{
    WriteFile(configFile(name), content);
}

void AppFixture::saveChoice(const QString& valueName, const QString& value)
{
    settings.write(kSaveConfigKey + valueName, value);
}

QString AppFixture::savedChoice(const QString& valueName) const
{
    return settings.read(kSaveConfigKey + valueName);
}

void AppFixture::rememberFolder(const QString& range, const QString& customStart, const QString& customEnd)
{
    saveChoice(QStringLiteral("INIPath"), configFolder());
    saveChoice(QStringLiteral("Range"), range);
    if (!customStart.isEmpty()) {
        saveChoice(QStringLiteral("CustomStart"), customStart);
        saveChoice(QStringLiteral("CustomEnd"), customEnd);
    }
}

frmMain& AppFixture::start()
{
    window = std::make_unique<frmMain>(
        AppServices{prompts, settings, clock, pump, lockPath(), 0, QString(), [this] { ++beeps; }});
    loaded = window->Load();
    return *window;
}

void AppFixture::writeResults(const QList<Record>& records) const
{
    writeConfigFile(QStringLiteral("ate.ini"), "[ATE Configuration]\r\nTestProduct=Line\r\n"
                                               "[Database]\r\nDatabaseName=line.sqlite\r\n");
    writeConfigFile(QStringLiteral("Products.INI"), "[Line]\r\nTableName=Results\r\n[Line Spec]\r\n"
                                                    "1=Vout,4.75,5.25,0,V,Output,Output Voltage\r\n2=<EOT>\r\n");
    QList<ResultRecord> rows;
    for (const Record& r : records) {
        rows.append({r.serial, r.source, r.time, r.verdict, {r.value}});
    }
    WriteResultsTable(configFile(QStringLiteral("line.sqlite")), {QStringLiteral("Vout")}, rows);
}

QList<AppFixture::Record> AppFixture::Series(int n, const QList<double>& values, int secondsApart)
{
    QList<Record> list;
    const QDateTime start(QDate(2024, 3, 1), QTime(8, 0));
    for (int i = 0; i < n; ++i) {
        list.append({"SN" + QString::number(i + 1), i % 2 ? "ATE-02" : "ATE-01",
                     start.addSecs(qint64(secondsApart) * i).toString("yyyy-MM-dd HH:mm:ss"), "PASS",
                     values[i % values.size()]});
    }
    return list;
}

void AppFixture::appendResults(const QList<Record>& records) const
{
    QString sql = QStringLiteral("BEGIN;");
    for (const Record& r : records) {
        sql += QStringLiteral("INSERT INTO Results VALUES ('%1', '%2', '%3', '%4', 'T1', %5);")
                   .arg(r.serial, r.source, r.time, r.verdict)
                   .arg(r.value, 0, 'g', 17);
    }
    runSql(sql + "COMMIT;");
}

void AppFixture::runSql(const QString& statements) const
{
    QProcess writer;
    writer.start("sqlite3", {"-cmd", ".timeout 5000", configFile(QStringLiteral("line.sqlite")), statements});
    QVERIFY(writer.waitForFinished());
    QVERIFY2(writer.exitCode() == 0, writer.readAllStandardError().constData());
}

frmMain& AppFixture::prepare(const QList<Record>& records, bool individual, int size)
{
    writeResults(records);
    rememberFolder("Last 30 Days");
    saveChoice("XBar", individual ? "False" : "True");
    saveChoice("XBarSize", QString::number(size));
    frmMain& main = start();
    main.form().cboTestID->setCurrentIndex(0);
    return main;
}

frmMain& AppFixture::plot(const QList<Record>& records, bool individual, int size)
{
    frmMain& main = prepare(records, individual, size);
    QTest::mouseClick(main.form().cmdPlotChart, Qt::LeftButton);
    return main;
}

QList<double> yValues(const ChartControl& chart, int series)
{
    QList<double> ys;
    for (qint64 i = 0; i < chart.pointCount(series); ++i) {
        ys.append(chart.pointY(series, i));
    }
    return ys;
}
