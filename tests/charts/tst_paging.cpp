#include "ChartPaging.h"
#include "DataRow.h"
#include "TestMain.h"

#include <QTest>

class PagingTest : public QObject
{
    Q_OBJECT

private slots:
    // A page asked for is kept within the pages there are; its window runs from its first x to its
    // first x + perPage - 1 (first and last -1: paging is off, no window).
    void pagesAndWindows_data()
    {
        AddColumns<int, qint64, int, int, double, double>("perPage", "points", "page", "pages", "first", "last");
        const auto row = [](const char* name, int perPage, qint64 points, int page, int pages, double first,
                            double last) {
            QTest::newRow(name) << perPage << points << page << pages << first << last;
        };
        row("empty chart", 80, 0, 1, 1, 0, 79);
        row("one full page", 80, 80, 2, 1, 0, 79);
        row("one point over", 80, 81, 2, 2, 80, 159);
        row("two full pages", 80, 160, 2, 2, 80, 159);
        row("last page keeps the scale of a full one", 80, 200, 3, 3, 160, 239);
        row("page past the end shows the last", 80, 100, 9, 2, 80, 159);
        row("other page size", 10, 95, 10, 10, 90, 99);
        row("one point per page", 1, 5, 2, 5, 0.5, 1.5);
        row("paging off", 0, 1000, 2, 1, -1, -1);
        row("negative is off", -5, 100, 2, 1, -1, -1);
    }

    void pagesAndWindows()
    {
        const auto [perPage, points, page, pages, first, last] = FetchRow<int, qint64, int, int, double, double>();
        ChartPaging paging;
        paging.setMaxPointsPerPage(perPage);
        paging.setCurrentPage(page, points);
        QCOMPARE(paging.pageCount(points), pages);
        QCOMPARE(paging.currentPage(points), std::min(page, pages));
        QCOMPARE(paging.window(points).value_or(AxisRange{-1, -1}), (AxisRange{first, last}));
    }

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
