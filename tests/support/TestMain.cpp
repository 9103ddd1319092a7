#include "TestMain.h"

#include <QApplication>
#include <QLocale>
#include <QTest>
#include <vector>

namespace {
std::vector<std::pair<const char*, TestRegistry::Factory>>& registry()
{
    static std::vector<std::pair<const char*, TestRegistry::Factory>> list;
    return list;
}
} // namespace

int TestRegistry::add(const char* name, Factory factory)
{
    registry().emplace_back(name, std::move(factory));
    return static_cast<int>(registry().size());
}

int TestRegistry::runAll(int argc, char** argv)
{
    QApplication app(argc, argv);
    // Formatted texts in the tests are written for the US English locale.
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    int failures = 0;
    for (const auto& [name, factory] : registry()) {
        const std::unique_ptr<QObject> test = factory();
        failures += QTest::qExec(test.get(), QStringList{QString::fromLatin1(argv[0])});
    }
    return failures == 0 ? 0 : 1;
}

int main(int argc, char** argv)
{
    return TestRegistry::runAll(argc, argv);
}
