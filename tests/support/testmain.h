#pragma once

#include <QObject>
#include <functional>
#include <memory>

// Test classes register themselves here; the one main of a test executable runs them all.
namespace ql::test {

using Factory = std::function<std::unique_ptr<QObject>()>;
int registerTestClass(const QMetaObject& meta, Factory factory);

} // namespace ql::test

#define QL_TEST_CLASS(Class)                                                                       \
    static const int Class##Registered = ::ql::test::registerTestClass(                            \
        Class::staticMetaObject, [] { return std::make_unique<Class>(); });
