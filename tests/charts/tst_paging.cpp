#include "ChartPaging.h"
#include "DataRow.h"
#include "TestMain.h"

#include <QTest>

class PagingTest : public QObject
{
    Q_OBJECT

private slots:
    // A page asked for is kept within the pages there are; its window runs from its first x to its
    // first x + perPage - 1 (first < 0: paging is off, no window).
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
        const std::optional<AxisRange> window = paging.window(points);
        QCOMPARE(window.has_value(), first >= 0);
        if (window) {
            QCOMPARE(window->min, first);
            QCOMPARE(window->max, last);
        }
    }
};

TESSALY_TEST(PagingTest)
#include "tst_paging.moc"
