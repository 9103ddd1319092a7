// The INI readers on arbitrary file content: the bytes are one file read both as ATE.INI and as
// PRODUCTS.INI, the way a product choice reads them (product list, database keys, then each
// product's columns, specification lines and database choice).
#include "DatabaseChoice.h"
#include "FuzzInput.h"
#include "ProductConfig.h"
#include "ProfileReader.h"

#include <QDir>
#include <QFileInfo>

namespace {

// Enough products to reach several sections of a mutated file, few enough to keep runs fast.
constexpr int kProductsRead = 2;

QString readChecked(const QString& section, const QString& key, const QString& ini)
{
    const QString value = ReadINI(section, key, ini);
    FuzzCheck(value.size() <= kMaxProfileValueLength, "an INI value is at most kMaxProfileValueLength long");
    FuzzCheck(value.isEmpty() != MissingINIValue(section, key, ini).isEmpty(),
              "a key reads empty exactly when there is a reason why");
    return value;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    EnsureFuzzApplication();
    const QString ini = WriteFuzzInput(data, size, QStringLiteral("ATE.INI"));
    // Database files are looked up in the configuration folder, the program's current directory.
    // libFuzzer reads its corpus by relative paths, so the directory is restored at the end.
    const QString startedIn = QDir::currentPath();
    QDir::setCurrent(QFileInfo(ini).path());

    const QString configuration = QStringLiteral("ATE Configuration");
    SplitList(readChecked(configuration, QStringLiteral("TestID"), ini));
    readChecked(configuration, QStringLiteral("TestIDDefault"), ini);
    const auto database = [&ini](const char* key) {
        return readChecked(QStringLiteral("Database"), QLatin1String(key), ini);
    };
    const DatabaseSettings settings{database("DatabaseName"), database("DataSourceName"), database("UserName"),
                                    database("Password"), database("ServerName")};

    const QStringList products = SplitList(readChecked(configuration, QStringLiteral("TestProduct"), ini));
    for (const QString& product : products.mid(0, kProductsRead)) {
        ReadColumnMapping(ini, product);
        const SpecificationList list = ReadSpecificationList(ini, product);
        FuzzCheck((list.outcome == SpecificationList::Outcome::Complete) == list.message().isEmpty(),
                  "a specification list has a message exactly when it did not read to its end");
        for (const ParameterSpec& spec : list.parameters) {
            spec.listText();
            LimitText(spec.lsl, kNoLSL);
            LimitText(spec.usl, kNoUSL);
        }
        const DatabaseChoice choice =
            ChooseDatabase(settings, product, readChecked(product, QStringLiteral("TableName"), ini));
        FuzzCheck(choice.error.isEmpty() != choice.connectionText.isEmpty(),
                  "a database choice has either a connection text or an error");
    }
    QDir::setCurrent(startedIn);
    return 0;
}
