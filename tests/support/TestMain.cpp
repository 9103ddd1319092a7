#include "TestMain.h"

#include <QApplication>
#include <QDialog>
#include <QFileInfo>
#include <QLocale>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <cstdio>
#include <vector>

namespace {

// A window run modally past the scripted user waits for a click that never comes, until the
// watchdog ends the whole suite: the test fails at once instead, and the window is closed.
class ModalWindowGuard final : public QObject
{
protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (auto* dialog = qobject_cast<QDialog*>(watched); dialog && event->type() == QEvent::Show) {
            QTimer::singleShot(0, dialog, [dialog] {
                if (dialog->isVisible() && dialog->isModal() && QThread::currentThread()->loopLevel() > 0) {
                    QTest::qFail(qPrintable(dialog->objectName() + " waits for a user"), __FILE__, __LINE__);
                    dialog->reject();
                }
            });
        }
        return false;
    }
};

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
    ModalWindowGuard guard;
    app.installEventFilter(&guard);
    // Without the fixtures every test that copies one would fail, some only at the watchdog.
    const QString fixtures = qEnvironmentVariable("TESSALY_FIXTURES");
    if (!fixtures.isEmpty() && !QFileInfo(fixtures).isDir()) {
        std::fprintf(stderr, "The test fixtures folder %s does not exist (TESSALY_FIXTURES)\n", qPrintable(fixtures));
        return 1;
    }
    // TESSALY_TEST_ONLY=<class>[,<class>...] runs those classes alone, with the arguments (test
    // functions, options).
    const QList<QByteArray> only = qgetenv("TESSALY_TEST_ONLY").split(',');
    const bool chosen = !only.constFirst().isEmpty();
    const QStringList arguments = chosen ? app.arguments() : QStringList{QString::fromLocal8Bit(argv[0])};
    int failures = 0;
    for (const auto& [name, factory] : registry()) {
        if (chosen && !only.contains(QByteArray(name))) {
            continue;
        }
        const std::unique_ptr<QObject> test = factory();
        failures += QTest::qExec(test.get(), arguments);
    }
    return failures == 0 ? 0 : 1;
}

int main(int argc, char** argv)
{
    return TestRegistry::runAll(argc, argv);
}
