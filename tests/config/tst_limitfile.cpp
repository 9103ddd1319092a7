#include "DataRow.h"
#include "LimitFile.h"
#include "LimitFileFormat.h"
#include "TestFiles.h"
#include "TestMain.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

QDateTime at(const char* text)
{
    return QDateTime::fromString(QLatin1String(text), "yyyy-MM-dd HH:mm:ss");
}

LimitSet set(const QString& comment, const char* frozenAt, int size = 5)
{
    LimitSet s;
    s.key = {"PSU-450", "Vout_12V", LimitChartKind::XBar, size, "<All>"};
    std::tie(s.centre, s.ucl, s.lcl) = std::tuple(12.0 + 1.0 / 3, 12.1 + 1e-13, 11.9);
    std::tie(s.rangeCentre, s.rangeUcl, s.rangeLcl, s.sigma) = std::tuple(0.1, 0.2115, 0.0, 0.043);
    s.baseline = {at("2026-11-01 06:00:00"), at("2026-11-21 21:59:59"), "<All>", "FT1", true, false, true, 105, 525};
    s.frozenAt = at(frozenAt);
    s.frozenBy = "ana";
    s.comment = comment;
    return s;
}

// The parts of a set the file keeps, in one comparable text.
QString fields(const LimitSet& s)
{
    return LimitSetText(s) + QString::number(s.centre, 'g', 17);
}

} // namespace

class TestLimitFile : public QObject
{
    Q_OBJECT

private slots:
    void textKeepsEveryValueExactly()
    {
        LimitStore store;
        store.freeze(set("first", "2026-12-01 08:00:00"));
        store.freeze(set("line one\nC:\\limits \\n", "2026-12-02 09:30:00"));
        LimitSet individual = set("", "2026-12-03 10:00:00");
        individual.key.chart = LimitChartKind::Individual;
        individual.key.source = "ATE-02";
        store.freeze(individual);
        store.addStage(
            {"PSU-450", "Vout_12V", at("2026-11-20 08:00:00"), "New fixture", at("2026-11-20 07:55:00"), "bo"});
        QString problem;
        const std::optional<LimitStore> read = ParseLimitFile(LimitFileText(store), &problem);
        QVERIFY2(read, qPrintable(problem));
        QCOMPARE(read->sets.size(), 2);
        QCOMPARE(read->history.size(), 1);
        for (qsizetype i = 0; i < 2; ++i) {
            QCOMPARE(fields(read->sets[i]), fields(store.sets[i]));
            QCOMPARE(read->sets[i].ucl, store.sets[i].ucl);
        }
        QCOMPARE(read->sets[0].comment, "line one\nC:\\limits \\n");
        QCOMPARE(read->history[0].retiredHow, "replaced");
        QCOMPARE(read->history[0].retiredAt, at("2026-12-02 09:30:00"));
        QCOMPARE(read->stagesOf("psu-450 ", "VOUT_12V").value(0).name, "New fixture");
        QVERIFY(read->find({"psu-450", "vout_12v", LimitChartKind::Individual, 9, "ate-02"}));
        QVERIFY(!read->find({"PSU-450", "Vout_12V", LimitChartKind::XBar, 4, "<All>"}));
    }

    void damagedFilesNameTheirLine_data()
    {
        AddColumns<QByteArray, QString>("text", "problem");
        const QByteArray good = LimitFileText([] {
            LimitStore store;
            store.freeze(set("", "2026-12-01 08:00:00"));
            return store;
        }());
        const auto row = [&good](const char* name, const char* from, const char* to, const char* problem) {
            QTest::newRow(name) << QByteArray(good).replace(from, to) << QString(problem);
        };
        row("a number that is none", "UCL=12.1", "UCL=12,1", "line 12: UCL is not a number: \"12,100000000000099\"");
        row("an unknown section", "[Limits]", "[Limit]", "line 5: unknown section [Limit]");
        row("a line without key", "Source=<All>", "Source <All>",
            "line 10: neither a [section] nor a key=value line inside one");
        row("a key twice", "Size=5\n", "Size=5\nsize=6\n", "line 10: size given twice");
        row("a key missing", "Sigma=", "Sigmx=", "line 5: [Limits] has no Sigma");
        row("a time that is none", "FrozenAt=2026-12-01 08:00:00", "FrozenAt=2026-12-01 8h",
            "line 27: FrozenAt is not a time (yyyy-MM-dd HH:mm:ss): \"2026-12-01 8h\"");
        row("a chart kind", "Chart=xbar", "Chart=pareto", "line 8: Chart is not xbar or individual: \"pareto\"");
        row("a size out of range", "Size=5", "Size=1", "line 9: Size of an X-bar chart is not from 2 to 25");
        row("a switch", "BaselinePassOnly=yes", "BaselinePassOnly=maybe",
            "line 22: BaselinePassOnly is not yes or no: \"maybe\"");
        row("a stage without start", "Comment=\n", "Comment=\n\n[Stage]\nProduct=P\nParameter=X\n",
            "line 31: [Stage] has no Start");
    }

    void damagedFilesNameTheirLine()
    {
        const auto [text, problem] = FetchRow<QByteArray, QString>();
        QString said;
        QVERIFY(!ParseLimitFile(text, &said));
        QCOMPARE(said, problem);

        QTemporaryDir folder;
        WriteFile(folder.filePath("limits.txt"), text);
        const LimitFileRead read = ReadLimitFile(folder.path());
        QCOMPARE(read.problem, QDir::toNativeSeparators(folder.filePath("limits.txt")) + ", " + problem);
        QVERIFY(read.store.sets.isEmpty());
        // A change never writes over what it cannot read.
        const QString refused = ChangeLimitFile(folder.path(), [](LimitStore&) { return QString(); });
        QVERIFY(refused.contains(problem));
        QCOMPARE(ReadFile(folder.filePath("limits.txt")), text);
    }
};

TESSALY_TEST(TestLimitFile)
#include "tst_limitfile.moc"
