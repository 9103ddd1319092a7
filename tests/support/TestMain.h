#pragma once

#include <QObject>
#include <functional>
#include <memory>

// Each test class registers itself with TESSALY_TEST(ClassName); the suite's main runs them
// all in one process and fails when any of them fails.
namespace TestRegistry {
using Factory = std::function<std::unique_ptr<QObject>()>;
int add(const char* name, Factory factory);
int runAll(int argc, char** argv);
} // namespace TestRegistry

#define TESSALY_TEST(Class)                                                                                            \
    static const int Class##_registered =                                                                              \
        TestRegistry::add(#Class, [] { return std::unique_ptr<QObject>(std::make_unique<Class>()); });
