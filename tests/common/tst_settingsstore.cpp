#include "DataRow.h"
#include "SettingsStore.h"
#include "TestMain.h"

#include <QTemporaryDir>
#include <QTest>

class SettingsStoreTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        // A fresh file for every test function and data row, in a folder not made yet.
        m_file = m_dir.filePath(QStringLiteral("%1/Korvane/Tessaly.ini").arg(++m_count));
    }

    void valuesSurvive_data()
    {
        AddColumns<QString, QString>("name", "value");
        const QString name = kSaveConfigKey + QStringLiteral("Value");
        QTest::newRow("empty") << name << QString();
        QTest::newRow("backslashes") << name << QStringLiteral("C:\\Data\\Lot 7\\");
        QTest::newRow("escape look-alike") << name << QStringLiteral("a\\nb");
        QTest::newRow("line breaks") << name << QStringLiteral("two\nlines\r\n");
        QTest::newRow("blanks around") << name << QStringLiteral("  lead and trail  ");
        QTest::newRow("section look-alike") << name << QStringLiteral("[SaveConfig]");
        QTest::newRow("non-ASCII") << name << QStringLiteral("Maß µm ±0,5");
        QTest::newRow("other case") << QStringLiteral("hklm\\software\\korvane\\tessaly\\saveconfig\\VALUE")
                                    << QStringLiteral("x");
        QTest::newRow("nested section") << QStringLiteral("HKLM\\SOFTWARE\\Korvane\\Tessaly\\SaveConfig\\Sub\\Value")
                                        << QStringLiteral("sub");
        QTest::newRow("no section") << QStringLiteral("Value") << QStringLiteral("bare");
        QTest::newRow("slash in the name") << kSaveConfigKey + QStringLiteral("HideUSL/LSL") << QStringLiteral("1");
    }

    // Each value is written among others and read back by a new store; nothing else reads as it.
    void valuesSurvive()
    {
        const auto [name, value] = FetchRow<QString, QString>();
        const QString neighbour = kSaveConfigKey + QStringLiteral("Value");
        QCOMPARE(SettingsStore(m_file).read(name), QString()); // no file yet
        QVERIFY(SettingsStore(m_file).write(neighbour, QStringLiteral("neighbour")));
        QVERIFY(SettingsStore(m_file).write(name, value));
        QVERIFY(SettingsStore(m_file).write(kSaveConfigKey + QStringLiteral("Next"), QStringLiteral("n")));
        QCOMPARE(SettingsStore(m_file).read(name.toUpper()), value);
        QCOMPARE(SettingsStore(m_file).read(kSaveConfigKey + QStringLiteral("Next")), QStringLiteral("n"));
        for (const QString& other : {QStringLiteral("LSL"), QStringLiteral("HideUSL\\LSL"), QStringLiteral("Sub")}) {
            QCOMPARE(SettingsStore(m_file).read(kSaveConfigKey + other), QString());
        }
        if (name.compare(neighbour, Qt::CaseInsensitive) != 0) {
            QCOMPARE(SettingsStore(m_file).read(neighbour), QStringLiteral("neighbour"));
        }
    }

private:
    QTemporaryDir m_dir;
    QString m_file;
    int m_count = 0;
};

TESSALY_TEST(SettingsStoreTest)

#include "tst_settingsstore.moc"
