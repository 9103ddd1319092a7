#include "DataRow.h"
#include "ProductConfig.h"
#include "TestFiles.h"
#include "TestMain.h"

#include <QTemporaryDir>
#include <QTest>

class TestProductConfig : public QObject
{
    Q_OBJECT

private slots:
    void specificationList_data()
    {
        AddColumns<QByteArray, QStringList, int, QString>("lines", "listTexts", "outcome", "message");

        using Outcome = SpecificationList::Outcome;
        const auto row = [](const char* name, const QByteArray& lines, const QStringList& texts, Outcome outcome,
                            const char* message = "") {
            QTest::newRow(name) << lines << texts << int(outcome) << QString(message);
        };
        const char* noEnd = "Can't reach to End Of Test <EOT> record!";
        row("gap in the numbers",
            "1=Vout,11.4,12.6,0,V,Output,Output Voltage\n2=Iin,0,3,0,A,,Input Current\n"
            "4=Eff,85,N/A,0,%,,Efficiency\n5=<EOT>,,,,,,\n",
            {"Output: [Output Voltage]", "Input Current", "Efficiency"}, Outcome::Complete);
        row("end marker in lower case", "1=a,1,2,0,V,,A\n2=<eot>\n3=b,1,2,0,V,,B\n", {"A"}, Outcome::Complete);
        row("first line ends the list", "1=<EOT>,,,,,,\n2=a,1,2,0,V,,A\n", {}, Outcome::Complete);
        row("six fields", "1=a,1,2,0,V,,A\n2=b,1,2,0,V,B\n3=<EOT>\n", {"A"}, Outcome::IncompleteLine,
            "Specification Info. in INI is not completed or missing at line#2!");
        row("extra fields ignored", "1=a,1,2,0,V,,A,x,y\n3=<EOT>\n", {"A"}, Outcome::Complete);
        row("no end marker", "1=a,1,2,0,V,,A\n", {"A"}, Outcome::NoEndMarker, noEnd);
        row("no section", "[Other]\n1=x\n", {}, Outcome::NoEndMarker, noEnd);
        QByteArray lines500;
        for (int i = 1; i <= 500; ++i) {
            lines500 += QByteArray::number(i) + "=f,1,2,0,V,,N\n";
        }
        row("read up to line 499", lines500, QStringList(499, "N"), Outcome::NoEndMarker, noEnd);
    }

    void specificationList()
    {
        const auto [lines, listTexts, outcome, message] = FetchRow<QByteArray, QStringList, int, QString>();
        QTemporaryDir dir;
        // A product name may hold blanks.
        const QByteArray content = lines.startsWith('[') ? lines : QByteArray("[LED Driver Spec]\n") + lines;
        const QString path = dir.filePath(QStringLiteral("PRODUCTS.INI"));
        WriteFile(path, content);
        int linesRead = 0;
        const SpecificationList list = ReadSpecificationList(path, QStringLiteral("LED Driver"), [&] { ++linesRead; });
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
        // warning: what the user is told of limits that are no number ("{INI}": the file's path)
        AddColumns<QByteArray, double, double, QString, QString, QString>("line", "lsl", "usl", "unit", "field",
                                                                          "warning");

        const auto row = [](const char* name, const char* line, double lsl, double usl, const char* unit,
                            const char* warning = "") {
            QTest::newRow(name) << QByteArray(line) << lsl << usl << QString(unit) << QString(line).section(',', 0, 0)
                                << QString(warning);
        };
        row("numbers", "Vout,11.40,12.6,0,V,,n", 11.4, 12.6, "V");
        row("non-numeric LSL", "Vout,low,12.6,0,V,,n", -999, 12.6, "V",
            "LSL \"low\" of n (key 1 in section [P Spec] of {INI}) is not a number: no limit");
        row("letter O for a zero", "Vout,11.4,12.6O,0,V,,n", 11.4, 999, "V",
            "USL \"12.6O\" of n (key 1 in section [P Spec] of {INI}) is not a number: no limit");
        row("N/A USL", "Eff,85,N/A,0,%,,n", 85, 999, "%");
        row("empty limits", "X,,,0,,,n", -999, 999, "");
        row("negative and exponent", "T,-40,1e2,0,C,,n", -40, 100, "C");
    }

    void limitsAndUnits()
    {
        auto [line, lsl, usl, unit, field, warning] = FetchRow<QByteArray, double, double, QString, QString, QString>();
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("PRODUCTS.INI"));
        WriteFile(path, "[P Spec]\n1=" + line + "\n2=<EOT>\n");
        const SpecificationList list = ReadSpecificationList(path, QStringLiteral("P"));
        QCOMPARE(list.parameters.size(), 1);
        const ParameterSpec& spec = list.parameters.constFirst();
        QCOMPARE(std::tuple(spec.lsl, spec.usl, spec.unit, spec.field), std::tuple(lsl, usl, unit, field));
        QCOMPARE(UnreadLimitWarnings(list, path, "P").join('\n'), warning.replace("{INI}", path));
    }
};

TESSALY_TEST(TestProductConfig)
#include "tst_productconfig.moc"
