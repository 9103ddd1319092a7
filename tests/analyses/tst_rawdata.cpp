#include "DataRow.h"
#include "FakePrompts.h"
#include "TestFiles.h"
#include "TestMain.h"
#include "frmRawData.h"

#include <QLabel>
#include <QListView>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTemporaryDir>
#include <QTest>

class TestRawData : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString write(const QByteArray& content)
    {
        const QString path = m_dir.filePath(QStringLiteral("~1234567.spc"));
        WriteFile(path, content);
        return path;
    }

    // The header and records lines as the loaders write them; records < 0: no file at all.
    QString listing(int records)
    {
        if (records < 0) {
            return m_dir.filePath(QStringLiteral("missing.spc"));
        }
        QByteArray content = records > 0 ? "S/N\tVout\tATE ID\tDate\r\n" : "";
        for (int i = 1; i < records; ++i) {
            content += QByteArray("SN") + QByteArray::number(i) + "\t5.000\tATE-01\t01/02/2024 10:00 AM\r\n";
        }
        return write(content);
    }

private slots:
    void selectsTheClickedPointsRecords_data()
    {
        // records: header included
        // first: selected rows; -1: none
        AddColumns<int, bool, qint64, int, int, QString>("records", "individual", "point", "first", "last", "message");
        QTest::newRow("X-bar n=5, first point") << 51 << false << qint64(0) << 0 << 4 << QString();
        QTest::newRow("X-bar n=5, last point") << 51 << false << qint64(9) << 45 << 49 << QString();
        QTest::newRow("individual point 10") << 51 << true << qint64(10) << 10 << 10 << QString();
        QTest::newRow("beyond 16-bit rows") << 40001 << true << qint64(39000) << 39000 << 39000 << QString();
        QTest::newRow("block past the end keeps what exists")
            << 8 << false << qint64(1) << 5 << 6 << "Invalid property array index!";
        QTest::newRow("header only") << 1 << true << qint64(0) << -1 << -1 << "Invalid property array index!";
        QTest::newRow("empty file") << 0 << false << qint64(0) << -1 << -1 << "Invalid property array index!";
        QTest::newRow("missing file") << -1 << true << qint64(0) << -1 << -1 << "No such file or directory!";
    }

    void selectsTheClickedPointsRecords()
    {
        const auto [records, individual, point, first, last, message] =
            FetchRow<int, bool, qint64, int, int, QString>();
        FakePrompts prompts;
        frmRawData dialog(listing(records), individual, point, 5, prompts);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));

        const auto* list = dialog.findChild<QListView*>(QStringLiteral("lstRawData"));
        QCOMPARE(list->model()->rowCount(), std::max(records - 1, 0));
        const QItemSelection selection = list->selectionModel()->selection();
        QCOMPARE(selection.size(), first < 0 ? 0 : 1);
        if (first >= 0) {
            QCOMPARE(selection.first().top(), first);
            QCOMPARE(selection.first().bottom(), last);
            QCOMPARE(list->currentIndex().row(), first);
            QVERIFY(list->viewport()->rect().contains(list->visualRect(list->currentIndex())));
        }
        QCOMPARE(prompts.texts(), message.isEmpty() ? QStringList() : QStringList{message});
        for (const FakePrompts::Message& m : prompts.messages) {
            QCOMPARE(m.icon, MsgIcon::Exclamation);
            QCOMPARE(m.buttons, MsgButtons::OK);
            QCOMPARE(m.caption, "Open Raw Data");
        }
    }

    // Every field starts under its head however wide the texts before it, and a window narrower
    // than the rows scrolls them and the heads sideways.
    void columnsFitTheirWidestText()
    {
        const QByteArray content = "S/N\tVout\tATE ID\tDate\r\n"
                                   "P450-2611-02-000017-REWORK-2\t12.000\tATE-01\t01/02/2024 10:00 AM\t1\r\n"
                                   "SN2            \t-1,234.500\tBURN-IN-RACK-07-SLOT-12-LEFT\t01/02/2024 10:01 AM\t2\r\n";
        FakePrompts prompts;
        frmRawData dialog(write(content), true, 0, 1, prompts);
        dialog.resize(300, 300);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto* list = dialog.findChild<QListView*>(QStringLiteral("lstRawData"));
        const QString title = dialog.findChild<QLabel*>(QStringLiteral("lblTitle"))->text();
        const auto* delegate = qobject_cast<QStyledItemDelegate*>(list->itemDelegate());
        for (int row = 0; row < 2; ++row) {
            const QString line = list->model()->index(row, 0).data().toString();
            const QString shown = delegate->displayText(line, QLocale());
            const QStringList fields = line.split('\t');
            for (const auto& [field, head] : {std::pair{1, "Value"}, {2, "Source"}, {3, "Date/Time"}}) {
                QCOMPARE(shown.indexOf(fields[field], shown.indexOf(fields[field - 1]) + fields[field - 1].size()),
                         title.indexOf(head));
            }
            QVERIFY(list->visualRect(list->model()->index(row, 0)).width() >=
                    list->fontMetrics().horizontalAdvance(shown));
        }
        QScrollBar* sideways = list->horizontalScrollBar();
        QVERIFY(sideways->maximum() > 0);
        sideways->setValue(40);
        const auto* heads = dialog.findChild<QLabel*>(QStringLiteral("lblTitle"));
        QCOMPARE(heads->text(), title.mid(40 / heads->fontMetrics().horizontalAdvance('0')));
    }
};

TESSALY_TEST(TestRawData)
#include "tst_rawdata.moc"
