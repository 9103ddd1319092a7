#include "AppFixture.h"
#include "ChartControl.h"
#include "DataRow.h"
#include "TestMain.h"
#include "ui_frmMain.h"

#include <QListView>
#include <QTest>

namespace {

QString pageLine(const ChartControl& chart)
{
    return chart.model().text(TextBlockId::SubFoot).lines.join('|');
}

// Clicks the centre of a drawn point.
void clickPoint(ChartControl& chart, int series, qint64 point, Qt::MouseButton button = Qt::LeftButton)
{
    const ChartSeries& s = chart.series(series);
    const QPoint at(qRound(chart.pixelAtValue(s.horizontalAxis, chart.pointX(series, point))),
                    qRound(chart.pixelAtValue(s.verticalAxis, chart.pointY(series, point))));
    QTest::mouseClick(&chart, button, {}, at);
}

} // namespace

class TestChartInteraction : public QObject
{
    Q_OBJECT

private slots:
    void pagingAndZoom()
    {
        AppFixture app;
        Ui::frmMain& ui = app.plot(AppFixture::Series(200, {5, 5.1}), true).form();
        ChartControl& chart = *ui.ocxXBarChart;
        const QString title = "Line Output: [Output Voltage]  Chart Page: ";
        QCOMPARE(pageLine(chart), title + "1 of 3");

        chart.zoomToPixels(100, 300);
        for (int i = 0; i < 3; ++i) { // the last page stays
            ui.cmdNextPage->click();
        }
        QVERIFY(!chart.isZoomed());
        QCOMPARE(pageLine(chart), title + "3 of 3");
        ui.cmdPreviousPage->click();
        QCOMPARE(pageLine(chart), title + "2 of 3");
        // The page keys and the page box; the box follows every page line.
        app.window->show();
        QVERIFY(QTest::qWaitForWindowActive(app.window.get()));
        QList<int> pages;
        for (const Qt::Key key : {Qt::Key_End, Qt::Key_PageUp, Qt::Key_Home, Qt::Key_PageDown}) {
            QTest::keyClick(app.window.get(), key);
            pages.append(chart.currentPage());
        }
        QCOMPARE(pages, (QList<int>{3, 2, 1, 2}));
        ui.spnPage->setValue(3);
        QCOMPARE(pageLine(chart), title + "3 of 3");
        ui.cmdPreviousPage->click();
        QCOMPARE(ui.spnPage->text(), "Page 2 of 3");

        // Each zoom keeps the page holding the middle point of the page shown.
        QList<int> perPage;
        pages.clear();
        for (int i = 0; i < 9; ++i) {
            ui.cmdZoomXIn->click();
            perPage.append(chart.maxPointsPerPage());
            pages.append(chart.currentPage());
        }
        QCOMPARE(perPage, (QList<int>{70, 60, 50, 40, 30, 20, 10, 0, 0}));
        QCOMPARE(pages, (QList<int>{2, 2, 2, 2, 2, 3, 5, 1, 1}));
        QCOMPARE(ui.spnPage->text(), "Page 1 of 1");
        QCOMPARE(pageLine(chart), title + "1 of 1");
        ui.cmdZoomXOut->click(); // no paging: the zoom buttons rest until the next drawing
        QCOMPARE(chart.maxPointsPerPage(), 0);
        chart.zoomToPixels(100, 300);
        ui.cmdNextPage->click(); // one page: the page buttons do nothing, not even undo the zoom
        QVERIFY(chart.isZoomed());

        ui.cmdPlotChart->click();
        QCOMPARE(chart.maxPointsPerPage(), 80);
        ui.cmdZoomXOut->click();
        ui.cmdZoomXOut->click();
        QCOMPARE(chart.maxPointsPerPage(), 100);
        QCOMPARE(pageLine(chart), title + "1 of 2");
    }

    void clickListsTheRecordsBehindAPoint_data()
    {
        // rows: selected; empty: no list opens
        AddColumns<bool, int, int, int, QList<int>>("individual", "series", "point", "button", "rows");
        QTest::newRow("x-bar, n = 5") << false << 0 << 3 << int(Qt::LeftButton) << QList<int>{15, 16, 17, 18, 19};
        QTest::newRow("right button") << true << 0 << 5 << int(Qt::RightButton) << QList<int>{};
        QTest::newRow("range series") << true << 4 << 5 << int(Qt::LeftButton) << QList<int>{};
    }

    void clickListsTheRecordsBehindAPoint()
    {
        const auto [individual, series, point, button, rows] = FetchRow<bool, int, int, int, QList<int>>();
        AppFixture app;
        frmMain& window = app.plot(AppFixture::Series(40, {5, 6, 7}, 10), individual);
        window.resize(1200, 800);
        window.show();
        ChartControl& chart = *window.form().ocxXBarChart;
        chart.setCurrentPage(point / chart.maxPointsPerPage() + 1);
        QList<int> selected;
        app.prompts.modalActions.push_back([&selected](QDialog& dialog) {
            const auto* list = dialog.findChild<QListView*>("lstRawData");
            for (const QModelIndex& index : list->selectionModel()->selectedRows()) {
                selected.append(index.row());
            }
            std::sort(selected.begin(), selected.end());
        });
        clickPoint(chart, series, point, Qt::MouseButton(button));
        QCOMPARE(app.prompts.modalWindows, rows.isEmpty() ? QStringList() : QStringList{"frmRawData"});
        QCOMPARE(selected, rows);
        QCOMPARE(app.prompts.texts(), QStringList());
    }
};

TESSALY_TEST(TestChartInteraction)
#include "tst_chartinteraction.moc"
