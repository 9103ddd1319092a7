#include "ProductConfig.h"
#include "TestMain.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {
QString writeProducts(const QTemporaryDir& dir, const QByteArray& content)
{
    const QString path = dir.filePath(QStringLiteral("PRODUCTS.INI"));
    QFile file(path);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(content);
    return path;
}
} // namespace

class TestProductConfig : public QObject
{
    Q_OBJECT

private slots:
    void columnMapping_data()
    {
        QTest::addColumn<QByteArray>("section");
        QTest::addColumn<QStringList>("expected"); // TestID, StartTime, Serial, PassFail, ATEID, pass marker

        const QStringList defaults{"[TestID]", "[TestStartTime]", "[SerialNumber]", "[PassFail]", "[ATEID]", "'PASS'"};
        QTest::newRow("no section: defaults") << QByteArray() << defaults;
        QTest::newRow("bracketed name used as written")
            << QByteArray("[P]\nTestID=[Test Id]\n")
            << QStringList{"[Test Id]", "[TestStartTime]", "[SerialNumber]", "[PassFail]", "[ATEID]", "'PASS'"};
        QTest::newRow("plain names get brackets")
            << QByteArray("[P]\nTestID=TID\nSerialNumber=SN\nATEID=Station\nTestStartTime=Stamp\nPassFail=Verdict\n")
            << QStringList{"[TID]", "[Stamp]", "[SN]", "[Verdict]", "[Station]", "'PASS'"};
        QTest::newRow("numeric pass marker as written")
            << QByteArray("[P]\nPassIdentical=1\n")
            << QStringList{"[TestID]", "[TestStartTime]", "[SerialNumber]", "[PassFail]", "[ATEID]", "1"};
        QTest::newRow("text pass marker quoted")
            << QByteArray("[P]\nPassIdentical=OK\n")
            << QStringList{"[TestID]", "[TestStartTime]", "[SerialNumber]", "[PassFail]", "[ATEID]", "'OK'"};
        QTest::newRow("empty values keep defaults") << QByteArray("[P]\nTestID=\nPassIdentical=\n") << defaults;
    }

    void columnMapping()
    {
        QFETCH(QByteArray, section);
        QFETCH(QStringList, expected);
        QTemporaryDir dir;
        const ColumnMapping m = ReadColumnMapping(writeProducts(dir, section), QStringLiteral("P"));
        QCOMPARE((QStringList{m.testIDField, m.testStartTimeField, m.serialNumberField, m.passFailField, m.ateIDField,
                              m.passIdentical}),
                 expected);
    }

    void specificationList_data()
    {
        QTest::addColumn<QByteArray>("lines");
        QTest::addColumn<QStringList>("listTexts");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QString>("message");

        const int complete = int(SpecificationList::Outcome::Complete);
        const int incomplete = int(SpecificationList::Outcome::IncompleteLine);
        const int noEnd = int(SpecificationList::Outcome::NoEndMarker);
        QTest::newRow("gap in the numbers")
            << QByteArray("1=Vout,11.4,12.6,0,V,Output,Output Voltage\n2=Iin,0,3,0,A,,Input Current\n"
                          "4=Eff,85,N/A,0,%,,Efficiency\n5=<EOT>,,,,,,\n")
            << QStringList{"Output: [Output Voltage]", "Input Current", "Efficiency"} << complete << QString();
        QTest::newRow("end marker in lower case")
            << QByteArray("1=a,1,2,0,V,,A\n2=<eot>\n3=b,1,2,0,V,,B\n") << QStringList{"A"} << complete << QString();
        QTest::newRow("first line ends the list")
            << QByteArray("1=<EOT>,,,,,,\n2=a,1,2,0,V,,A\n") << QStringList{} << complete << QString();
        QTest::newRow("six fields") << QByteArray("1=a,1,2,0,V,,A\n2=b,1,2,0,V,B\n3=<EOT>\n") << QStringList{"A"}
                                    << incomplete
                                    << "Specification Info. in INI is not completed or missing at line#2!";
        QTest::newRow("extra fields ignored")
            << QByteArray("1=a,1,2,0,V,,A,x,y\n3=<EOT>\n") << QStringList{"A"} << complete << QString();
        QTest::newRow("no end marker") << QByteArray("1=a,1,2,0,V,,A\n") << QStringList{"A"} << noEnd
                                       << "Can't reach to End Of Test <EOT> record!";
        QTest::newRow("no section") << QByteArray("[Other]\n1=x\n") << QStringList{} << noEnd
                                    << "Can't reach to End Of Test <EOT> record!";
    }

    void specificationList()
    {
        QFETCH(QByteArray, lines);
        QFETCH(QStringList, listTexts);
        QFETCH(int, outcome);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QByteArray content = lines.startsWith('[') ? lines : QByteArray("[P Spec]\n") + lines;
        int linesRead = 0;
        const SpecificationList list =
            ReadSpecificationList(writeProducts(dir, content), QStringLiteral("P"), [&] { ++linesRead; });
        QStringList texts;
        for (const ParameterSpec& spec : list.parameters) {
            texts.append(spec.listText());
        }
        QCOMPARE(texts, listTexts);
        QCOMPARE(int(list.outcome), outcome);
        QCOMPARE(list.message(), message);
        QVERIFY(linesRead > 0 && linesRead <= 499);
    }

    void limitsAndUnits_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<double>("lsl");
        QTest::addColumn<double>("usl");
        QTest::addColumn<QString>("unit");
        QTest::addColumn<QString>("field");

        QTest::newRow("numbers") << QByteArray("Vout,11.40,12.6,0,V,,n") << 11.4 << 12.6 << "V"
                                 << "Vout";
        QTest::newRow("non-numeric LSL") << QByteArray("Vout,low,12.6,0,V,,n") << -999.0 << 12.6 << "V"
                                         << "Vout";
        QTest::newRow("N/A USL") << QByteArray("Eff,85,N/A,0,%,,n") << 85.0 << 999.0 << "%"
                                 << "Eff";
        QTest::newRow("empty limits") << QByteArray("X,,,0,,,n") << -999.0 << 999.0 << ""
                                      << "X";
        QTest::newRow("negative and exponent") << QByteArray("T,-40,1e2,0,C,,n") << -40.0 << 100.0 << "C"
                                               << "T";
    }

    void limitsAndUnits()
    {
        QFETCH(QByteArray, line);
        QFETCH(double, lsl);
        QFETCH(double, usl);
        QFETCH(QString, unit);
        QFETCH(QString, field);
        QTemporaryDir dir;
        const SpecificationList list =
            ReadSpecificationList(writeProducts(dir, "[P Spec]\n1=" + line + "\n2=<EOT>\n"), QStringLiteral("P"));
        QCOMPARE(list.parameters.size(), 1);
        const ParameterSpec& spec = list.parameters.constFirst();
        QCOMPARE(spec.lsl, lsl);
        QCOMPARE(spec.usl, usl);
        QCOMPARE(spec.unit, unit);
        QCOMPARE(spec.field, field);
    }

    void productNameWithBlank()
    {
        QTemporaryDir dir;
        const SpecificationList list = ReadSpecificationList(
            writeProducts(dir, "[LED Driver Spec]\n1=a,1,2,0,V,,A\n2=<EOT>\n"), QStringLiteral("LED Driver"));
        QCOMPARE(list.parameters.size(), 1);
    }

    void stopsAtLine499()
    {
        QByteArray content("[P Spec]\n");
        for (int i = 1; i <= 500; ++i) {
            content += QByteArray::number(i) + "=f" + QByteArray::number(i) + ",1,2,0,V,,N\n";
        }
        QTemporaryDir dir;
        const SpecificationList list = ReadSpecificationList(writeProducts(dir, content), QStringLiteral("P"));
        QCOMPARE(list.parameters.size(), 499);
        QCOMPARE(list.outcome, SpecificationList::Outcome::NoEndMarker);
    }
};

TESSALY_TEST(TestProductConfig)
#include "tst_productconfig.moc"
