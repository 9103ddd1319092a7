#include "AnalysisFixture.h"

#include "Connection.h"
#include "ProductSetup.h"
#include "TestFiles.h"
#include "XBarChart.h"

#include <QFile>

AnalysisFixture::AnalysisFixture()
{
    selection.product = "Small";
    selection.parameter = 0;
    selection.range = "Custom";
    selection.lastDataOnly = false;
    state.gCustomDateFrom = QDate(2024, 3, 1);
    state.gCustomDateTo = QDate(2024, 3, 7);
    useFixture("results_small.sqlite");
}

AnalysisFixture::CurrentDirectory::CurrentDirectory(const QString& path) : previous(QDir::currentPath())
{
    QDir::setCurrent(path);
}

AnalysisFixture::CurrentDirectory::~CurrentDirectory()
{
    QDir::setCurrent(previous);
}

void AnalysisFixture::open()
{
    state.gConnection = std::make_unique<Connection>();
    LoadProductDefinition(state, dir.filePath("PRODUCTS.INI"), "Small");
    opened = OpenProductDatabase(state, dir.filePath("ATE.INI"), dir.filePath("PRODUCTS.INI"), "Small", pump).opened;
}

void AnalysisFixture::useResults(const QStringList& columns, const QList<ResultRecord>& records,
                                 const QStringList& specLines, const QByteArray& productKeys, ResultsFile file)
{
    state.gConnection.reset();
    QFile::remove(dir.filePath("results.sqlite"));
    if (file == ResultsFile::CsvLog) {
        WriteResultsCsv(dir.filePath("results.csv"), columns, records);
        useDatabase("results.csv");
    } else {
        WriteResultsTable(dir.filePath("results.sqlite"), columns, records);
        useDatabase("results.sqlite");
    }
    QByteArray spec = "[Small]\r\nTableName=Results\r\n" + productKeys + "[Small Spec]\r\n";
    for (int i = 0; i < columns.size(); ++i) {
        const QString limits = specLines.value(i).isEmpty() ? QStringLiteral("-999,999,0,") : specLines.value(i);
        spec += QStringLiteral("%1=%2,%3,,%2\r\n").arg(i + 1).arg(columns[i], limits).toUtf8();
    }
    WriteFile(dir.filePath("PRODUCTS.INI"), spec + QByteArray::number(columns.size() + 1) + "=<EOT>\r\n");
    open();
}

void AnalysisFixture::useFixture(const QString& fixture, const QString& table)
{
    state.gConnection.reset();
    WriteFile(dir.filePath("PRODUCTS.INI"),
              "[Small]\r\nTableName=" + table.toUtf8() +
                  "\r\n[Small Spec]\r\n"
                  "1=Vout,4.75,5.25,0,V,,Output Voltage\r\n2=Iin,-999,2.5,0,A,,Input Current\r\n"
                  "3=Ripple,0,999,0,,,Ripple\r\n4=Eff,80,100,0,%,,Efficiency\r\n5=<EOT>\r\n");
    QFile::copy(FixturePath(fixture), dir.filePath(fixture));
    QFile(dir.filePath(fixture)).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    useDatabase(fixture);
    open();
}

void AnalysisFixture::useDatabase(const QString& name)
{
    WriteFile(dir.filePath("ATE.INI"), "[ATE Configuration]\r\nTestProduct=Small\r\nTestID=FT1,FT2\r\n"
                                       "[Database]\r\nDatabaseName=" +
                                           name.toUtf8() + "\r\n");
}

AnalysisContext AnalysisFixture::context()
{
    return AnalysisContext{selection, state, prompts, clock, pump, [] {}};
}

PlotRequest AnalysisFixture::controlChartRequest(const QString& parameterText)
{
    return ControlChartRequest(state, selection, parameterText, clock.today(), prompts);
}

PlotResult AnalysisFixture::plotControlChart(ChartControl& control, const PlotRequest& request, bool individual)
{
    XBarChart chart(control);
    chart.SetupRangeSeries();
    state.gRawDataFile = dir.filePath("listing.spc");
    const ControlChartConstants constants = InitControlChartConstants();
    ControlChartLoader loader(state, chart, prompts, pump, constants, [](bool) {});
    return individual ? loader.PlotIndividualChart(request) : loader.PlotXBarChart(request);
}
