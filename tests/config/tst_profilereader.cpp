#include "ProfileReader.h"
#include "TestMain.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestProfileReader : public QObject
{
    Q_OBJECT

private slots:
    void readsLikeTheProfileReader_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");

        const QByteArray ate = "[ATE Configuration]\r\nTestProduct = PSU-450, DCDC \r\nTestID=FT1,FT2\r\n";
        QTest::newRow("CRLF, blanks around the value") << ate << "ATE Configuration"
                                                       << "TestProduct"
                                                       << "PSU-450, DCDC";
        QTest::newRow("names ignore case") << ate << "ate configuration"
                                           << "TESTID"
                                           << "FT1,FT2";
        QTest::newRow("missing key") << ate << "ATE Configuration"
                                     << "TestIDDefault"
                                     << "";
        QTest::newRow("missing section") << ate << "Database"
                                         << "TestID"
                                         << "";
        QTest::newRow("LF only") << QByteArray("[A]\nk=v\n") << "A"
                                 << "k"
                                 << "v";
        QTest::newRow("byte-order mark") << QByteArray("\xEF\xBB\xBF[A]\nk=v\n") << "A"
                                         << "k"
                                         << "v";
        QTest::newRow("first key wins") << QByteArray("[A]\nk=1\nK=2\n") << "A"
                                        << "k"
                                        << "1";
        QTest::newRow("first section wins") << QByteArray("[A]\nk=1\n[a]\nk=2\nj=3\n") << "A"
                                            << "j"
                                            << "";
        QTest::newRow("blanks around section and key") << QByteArray("[ A ]\n  k  =  v w  \n") << "A"
                                                       << "k"
                                                       << "v w";
        QTest::newRow("double quotes removed") << QByteArray("[A]\nk=\" x \"\n") << "A"
                                               << "k"
                                               << " x ";
        QTest::newRow("single quotes removed") << QByteArray("[A]\nk='PASS'\n") << "A"
                                               << "k"
                                               << "PASS";
        QTest::newRow("unmatched quote kept") << QByteArray("[A]\nk='PASS\n") << "A"
                                              << "k"
                                              << "'PASS";
        QTest::newRow("value holding '='") << QByteArray("[A]\nk=a=b\n") << "A"
                                           << "k"
                                           << "a=b";
        QTest::newRow("empty value") << QByteArray("[A]\nk=\n") << "A"
                                     << "k"
                                     << "";
        QTest::newRow("comment line") << QByteArray("[A]\n;k=1\nk=2\n") << "A"
                                      << "k"
                                      << "2";
        QTest::newRow("key before any section") << QByteArray("k=1\n[A]\n") << "A"
                                                << "k"
                                                << "";
        QTest::newRow("UTF-8 text") << QByteArray("[A]\nk=\xC2\xB5V\n") << "A"
                                    << "k" << QString::fromUtf8("\u00B5V");
        QTest::newRow("Windows-1252 text") << QByteArray("[A]\nk=\xB5V \x80\n") << "A"
                                           << "k" << QString::fromUtf8("\u00B5V \u20AC");
        QTest::newRow("1,500 characters read as 1,022") << QByteArray("[A]\nk=") + QByteArray(1500, 'x') + "\n"
                                                        << "A"
                                                        << "k" << QString(1022, QLatin1Char('x'));
    }

    void readsLikeTheProfileReader()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("ATE.INI"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
        QCOMPARE(ReadINI(section, key, path), expected);
    }

    void missingFileReadsEmpty() { QCOMPARE(ReadINI("A", "k", "/nonexistent/ATE.INI"), QString()); }

    void editedFileIsReadAgain()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("x.ini"));
        for (const char* value : {"first", "second value"}) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(QByteArray("[A]\nk=") + value + "\n");
            file.close();
            QCOMPARE(ReadINI("A", "k", path), QString::fromLatin1(value));
        }
    }

    void splitsListsAsWritten_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("items");
        QTest::newRow("empty") << "" << QStringList{};
        QTest::newRow("one") << "A" << QStringList{"A"};
        QTest::newRow("blanks stay") << "A, B" << QStringList{"A", " B"};
        QTest::newRow("trailing comma") << "A," << QStringList{"A", ""};
    }

    void splitsListsAsWritten()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, items);
        QCOMPARE(SplitList(text), items);
    }
};

TESSALY_TEST(TestProfileReader)
#include "tst_profilereader.moc"
