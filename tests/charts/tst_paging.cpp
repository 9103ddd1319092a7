#include "ChartPaging.h"
#include "DataRow.h"
#include "TestMain.h"

#include <QTest>

class PagingTest : public QObject
{
    Q_OBJECT

private slots:
    // A new page size shows the page that holds the middle point of the page shown before.
    void rescaleKeepsTheMiddlePoint_data()
    {
        AddColumns<int, int, int, qint64, int>("perPage", "page", "newPerPage", "points", "newPage");
        QTest::newRow("zoom in near the end") << 80 << 23 << 70 << qint64(1840) << 26;
        QTest::newRow("zoom out") << 80 << 23 << 90 << qint64(1840) << 20;
        QTest::newRow("short last page") << 10 << 3 << 20 << qint64(22) << 2;
        QTest::newRow("from no paging") << 0 << 1 << 10 << qint64(95) << 5;
        QTest::newRow("to no paging") << 10 << 4 << 0 << qint64(95) << 1;
        QTest::newRow("empty chart") << 80 << 1 << 70 << qint64(0) << 1;
    }

    void rescaleKeepsTheMiddlePoint()
    {
        const auto [perPage, page, newPerPage, points, newPage] = FetchRow<int, int, int, qint64, int>();
        ChartPaging paging;
        paging.setMaxPointsPerPage(perPage);
        paging.setCurrentPage(page, points);
        paging.rescale(newPerPage, points);
        QCOMPARE(paging.currentPage(points), newPage);
    }
};

TESSALY_TEST(PagingTest)
#include "tst_paging.moc"
