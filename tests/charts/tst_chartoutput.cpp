#include "ChartControl.h"
#include "ChartOutput.h"
#include "ChartWindowOutput.h"
#include "Clock.h"
#include "FakePrompts.h"
#include "TestFiles.h"
#include "TestMain.h"

#include <QDir>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

namespace {

const QDateTime kNow(QDate(2024, 3, 10), QTime(21, 5));

// An analysis window's chart and buttons, with a Foot block as its window keeps it.
struct ChartWindow
{
    explicit ChartWindow(const QStringList& foot)
    {
        chart.resize(640, 480);
        chart.addPoint(chart.addLineSeries(), 1.5);
        chart.foot().lines = foot;
    }
    ChartControl chart;
    QPushButton cmdExport;
    QPushButton cmdPrintChart;
    FakePrompts prompts;
    FixedClock clock{kNow};
    ChartWindowOutput output{chart, prompts, clock, cmdExport, cmdPrintChart};
};

// The points of the polylines an SVG draws in a stroke colour ("#rrggbb").
QList<QPointF> SvgPolylinePoints(const QByteArray& svg, const QByteArray& stroke)
{
    static const QRegularExpression kGroupStroke(QStringLiteral("^g [^>]*stroke=\"(#[0-9a-f]{6})\""));
    static const QRegularExpression kPoints(QStringLiteral("^polyline [^>]*points=\"([^\"]*)\""));
    QList<QPointF> points;
    bool inStroke = false;
    for (const QByteArray& element : svg.split('<')) {
        const QString text = QString::fromLatin1(element);
        if (const auto group = kGroupStroke.match(text); group.hasMatch()) {
            inStroke = group.captured(1) == QLatin1String(stroke);
        } else if (const auto line = kPoints.match(text); line.hasMatch() && inStroke) {
            for (const QString& pair : line.captured(1).split(' ', Qt::SkipEmptyParts)) {
                points.append(QPointF(pair.section(',', 0, 0).toDouble(), pair.section(',', 1, 1).toDouble()));
            }
        }
    }
    return points;
}

} // namespace

class ChartOutputTest : public QObject
{
    Q_OBJECT

private slots:
    // A window's own Foot line comes back after the stamp; without one, the stamp line goes.
    void analysisWindowExportsAndPrints_data()
    {
        QTest::addColumn<QStringList>("foot");
        QTest::newRow("no Foot line") << QStringList();
        QTest::newRow("a blank Foot line") << QStringList{" "};
        QTest::newRow("control characters") << QStringList{" ", "Line\x01\x1b[31m"};
    }

    void analysisWindowExportsAndPrints()
    {
        QFETCH(QStringList, foot);
        QTemporaryDir dir;
        ChartWindow window(foot);
        const QString svg = dir.filePath("chart.svg");
        window.prompts.fileNames.push_back(svg);
        window.output.Export();
        QVERIFY(ReadFile(svg).contains("Exported on: Mar 10, 24 09:05 pm"));
        QXmlStreamReader xml(ReadFile(svg));
        while (xml.readNext() != QXmlStreamReader::Invalid && !xml.atEnd()) {
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        QCOMPARE(window.chart.foot().lines, foot);

        QPrinter printer(QPrinter::HighResolution);
        window.output.Print(printer); // the printer dialog cancelled: nothing, and nothing said
        const QString pdf = dir.filePath("printed.pdf");
        window.prompts.printerActions.push_back([&pdf](QPrinter& p) {
            p.setOutputFileName(pdf);
            return true;
        });
        window.output.Print(printer);
        QCOMPARE(window.prompts.texts(), QStringList());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), (QStringList{"chart.svg", "printed.pdf"}));
        QCOMPARE(window.chart.foot().lines, foot);
        QVERIFY(window.cmdExport.isEnabled() && window.cmdPrintChart.isEnabled());
    }

    // A middle page of a long line and of a limit line across every page: the SVG draws both
    // inside the plot, as the screen does, and the same pieces the renderer reports.
    void svgLinesStayInsideThePlot_data()
    {
        QTest::addColumn<QString>("stroke");
        QTest::newRow("data line") << "#123456";
        QTest::newRow("limit line") << "#654321";
    }

    void svgLinesStayInsideThePlot()
    {
        QFETCH(QString, stroke);
        ChartControl chart;
        chart.resize(640, 480);
        const int data = chart.addLineSeries();
        chart.series(data).look.lineColor = QColor("#123456");
        for (int i = 0; i < 200; ++i) {
            chart.addPoint(data, (i % 7) * 1.5);
        }
        const int limit = chart.addLineSeries();
        chart.series(limit).look.lineColor = QColor("#654321");
        chart.addPointXY(limit, 0, 12);
        chart.addPointXY(limit, 199, -3);
        chart.setMaxPointsPerPage(80);
        chart.setCurrentPage(2);
        QTemporaryDir dir;
        const QString path = dir.filePath("page.svg");
        QString error;
        QVERIFY2(WriteChartFile(chart, path, ChartFileFormat::Svg, &error), qPrintable(error));

        const QList<QPointF> points = SvgPolylinePoints(ReadFile(path), stroke.toLatin1());
        const QRectF plot = chart.plotRect().adjusted(-0.01, -0.01, 0.01, 0.01);
        QVERIFY(points.size() >= 2);
        for (const QPointF& p : points) {
            QVERIFY2(plot.contains(p), qPrintable(QString("%1,%2").arg(p.x()).arg(p.y())));
        }
        // The line reaches both sides of the page.
        const QRectF extent = QPolygonF(points).boundingRect();
        QVERIFY(extent.left() < plot.left() + 0.5 && extent.right() > plot.right() - 0.5);
        const QPointF drawn = chart.drawnGeometry().series[stroke == "#123456" ? data : limit].lines.first().first();
        QVERIFY((drawn - points.first()).manhattanLength() < 0.01);
    }
};

TESSALY_TEST(ChartOutputTest)
#include "tst_chartoutput.moc"
