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
        const auto [perPage, points, page, pages, first, last] =
            FetchRow<int, qint64, int, int, double, double>("perPage", "points", "page", "pages", "first", "last");
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

    // Actions: 'n' next page, 'p' previous page. Pages after each, and whether each changed it.
    void navigation_data()
    {
        AddColumns<int, qint64, QString, QList<int>, QString>("perPage", "points", "actions", "pages", "changed");
        QTest::newRow("there and back, stopping at both ends")
            << 80 << qint64(200) << "pnnnppp" << QList<int>{1, 2, 3, 3, 2, 1, 1} << "0110110";
        QTest::newRow("single page") << 80 << qint64(80) << "np" << QList<int>{1, 1} << "00";
        QTest::newRow("paging off") << 0 << qint64(1000) << "n" << QList<int>{1} << "0";
    }

    void navigation()
    {
        const auto [perPage, points, actions, pages, changed] =
            FetchRow<int, qint64, QString, QList<int>, QString>("perPage", "points", "actions", "pages", "changed");
        ChartPaging paging;
        paging.setMaxPointsPerPage(perPage);
        for (qsizetype i = 0; i < actions.size(); ++i) {
            const bool moved = actions[i] == 'n' ? paging.nextPage(points) : paging.previousPage(points);
            QCOMPARE(paging.currentPage(points), pages[i]);
            QCOMPARE(moved, changed[i] == '1');
        }
    }

    // Adding points keeps the page on screen; clearing them brings it back to page 1.
    void pageAfterPointsChange()
    {
        ChartPaging paging;
        paging.setMaxPointsPerPage(80);
        paging.setCurrentPage(2, 100);
        QCOMPARE(paging.currentPage(1000), 2);
        paging.clamp(0);
        QCOMPARE(paging.currentPage(1000), 1);
    }
};

TESSALY_TEST(PagingTest)
#include "tst_paging.moc"
