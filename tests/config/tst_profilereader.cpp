#include "DataRow.h"
#include "ProfileReader.h"
#include "TestFiles.h"
#include "TestMain.h"

#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

class TestProfileReader : public QObject
{
    Q_OBJECT

private slots:
    void readsLikeTheProfileReader_data()
    {
        AddColumns<QByteArray, QString, QString, QString>("content", "section", "key", "expected");

        const auto row = [](const char* name, const QByteArray& content, const char* section, const char* key,
                            const QString& expected) { QTest::newRow(name) << content << section << key << expected; };
        const QByteArray ate = "[ATE Configuration]\r\nTestProduct = PSU-450, DCDC \r\nTestID=FT1,FT2\r\n";
        row("CRLF, blanks around the value", ate, "ATE Configuration", "TestProduct", "PSU-450, DCDC");
        row("names ignore case", ate, "ate configuration", "TESTID", "FT1,FT2");
        row("missing key", ate, "ATE Configuration", "TestIDDefault", "");
        row("missing section", ate, "Database", "TestID", "");
        row("byte-order mark, LF only", "\xEF\xBB\xBF[A]\nk=v\n", "A", "k", "v");
        row("CR only", "[A]\rk=v\rj=w\r", "A", "j", "w");
        for (const auto& [name, encoding] : {std::pair{"UTF-16 LE (Notepad's Unicode)", QStringConverter::Utf16LE},
                                             std::pair{"UTF-16 BE", QStringConverter::Utf16BE}}) {
            QStringEncoder encoder(encoding, QStringEncoder::Flag::WriteBom);
            row(name, encoder(u"[A]\r\nk=\u00B5V\r\n"), "A", "k", QString::fromUtf8("\u00B5V"));
        }
        row("first key wins", "[A]\nk=1\nK=2\n", "A", "k", "1");
        row("first section wins", "[A]\nk=1\n[a]\nk=2\nj=3\n", "A", "j", "");
        row("blanks around section and key", "[ A ]\n  k  =  v w  \n", "A", "k", "v w");
        row("double quotes removed", "[A]\nk=\" x \"\n", "A", "k", " x ");
        row("single quotes removed", "[A]\nk='PASS'\n", "A", "k", "PASS");
        row("unmatched quote kept", "[A]\nk='PASS\n", "A", "k", "'PASS");
        row("value holding '='", "[A]\nk=a=b\n", "A", "k", "a=b");
        row("comment line", "[A]\n;k=1\nk=2\n", "A", "k", "2");
        row("key before any section", "k=1\n[A]\n", "A", "k", "");
        row("UTF-8 text", "[A]\nk=\xC2\xB5V\n", "A", "k", QString::fromUtf8("\u00B5V"));
        row("Windows-1252 text", "[A]\nk=\xB5V \x80\n", "A", "k", QString::fromUtf8("\u00B5V \u20AC"));
        row("1,500 characters read as 1,022", "[A]\nk=" + QByteArray(1500, 'x') + "\n", "A", "k",
            QString(1022, QLatin1Char('x')));
    }

    void readsLikeTheProfileReader()
    {
        const auto [content, section, key, expected] = FetchRow<QByteArray, QString, QString, QString>();
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("ATE.INI"));
        QVERIFY(WriteFile(path, content));
        QCOMPARE(ReadINI(section, key, path), expected);
    }

};

TESSALY_TEST(TestProfileReader)
#include "tst_profilereader.moc"
