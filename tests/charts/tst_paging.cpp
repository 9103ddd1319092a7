#include "ChartPaging.h"
#include "DataRow.h"
#include "TestMain.h"

#include <QTest>

class PagingTest : public QObject
{
    Q_OBJECT

private slots:
    void pageCount_data()
    {
        AddColumns<int, qint64, int>("perPage", "points", "expected");
        QTest::newRow("empty chart") << 80 << qint64(0) << 1;
        QTest::newRow("one full page") << 80 << qint64(80) << 1;
        QTest::newRow("one point over") << 80 << qint64(81) << 2;
        QTest::newRow("paging off") << 0 << qint64(1000) << 1;
        QTest::newRow("other page size") << 10 << qint64(95) << 10;
        QTest::newRow("negative is off") << -5 << qint64(100) << 1;
    }

    void pageCount()
    {
        const auto [perPage, points, expected] = FetchRow<int, qint64, int>("perPage", "points", "expected");
        ChartPaging paging;
        paging.setMaxPointsPerPage(perPage);
        QCOMPARE(paging.pageCount(points), expected);
    }

    void window_data()
    {
        AddColumns<int, qint64, int, double, double>("perPage", "points", "page", "first", "last");
        QTest::newRow("first page") << 80 << qint64(200) << 1 << 0.0 << 79.0;
        // 40 points on the last page, drawn at the scale of a full page.
        QTest::newRow("last page keeps the scale") << 80 << qint64(200) << 3 << 160.0 << 239.0;
        QTest::newRow("page past the end shows the last") << 80 << qint64(100) << 9 << 80.0 << 159.0;
        QTest::newRow("one point per page") << 1 << qint64(5) << 2 << 0.5 << 1.5;
    }

    void window()
    {
        const auto [perPage, points, page, first, last] =
            FetchRow<int, qint64, int, double, double>("perPage", "points", "page", "first", "last");
        ChartPaging paging;
        paging.setMaxPointsPerPage(perPage);
        paging.setCurrentPage(page, points);
        const auto window = paging.window(points);
        QVERIFY(window.has_value());
        QCOMPARE(window->min, first);
        QCOMPARE(window->max, last);
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
        QVERIFY(!ChartPaging().window(1000).has_value());
    }
};

TESSALY_TEST(PagingTest)
#include "tst_paging.moc"
