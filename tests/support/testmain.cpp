#include "support/testmain.h"

#include "support/testenv.h"

#include <QApplication>
#include <QMetaMethod>
#include <QTest>
#include <cstdio>
#include <cstring>
#include <vector>

namespace ql::test {
namespace {

struct TestClass {
    const QMetaObject* meta;
    Factory make;
};

std::vector<TestClass>& testClasses()
{
    static std::vector<TestClass> list;
    return list;
}

// The functions Qt Test runs in a test class: private slots without arguments, the data
// functions and the four fixture slots aside.
QList<QByteArray> testFunctions(const QMetaObject& meta)
{
    QList<QByteArray> names;
    for (int i = 0; i < meta.methodCount(); ++i) {
        const QMetaMethod method = meta.method(i);
        const QByteArray name = method.name();
        if (method.methodType() == QMetaMethod::Slot && method.access() == QMetaMethod::Private &&
            method.parameterCount() == 0 && !name.endsWith("_data") && name != "init" &&
            name != "cleanup" && name != "initTestCase" && name != "cleanupTestCase")
            names << name;
    }
    return names;
}

// The function an argument names: "name" or "name:tag".
QByteArray functionOf(const char* argument)
{
    const QByteArray name(argument);
    const qsizetype colon = name.indexOf(':');
    return colon < 0 ? name : name.first(colon);
}

// Qt Test takes the function names of one test class: each class gets the names of its own
// functions and is left out when only other classes' functions are named; what names no test
// function goes to every class. The list of functions covers every class.
int runAll(int argc, char** argv)
{
    QList<QByteArray> all;
    for (const TestClass& c : testClasses())
        all << testFunctions(*c.meta);
    if (QCoreApplication::arguments().contains(QStringLiteral("-functions"))) {
        for (const QByteArray& name : all)
            std::printf("%s()\n", name.constData());
        return 0;
    }
    int failures = 0;
    for (const TestClass& c : testClasses()) {
        const QList<QByteArray> own = testFunctions(*c.meta);
        std::vector<char*> arguments{argv[0]};
        bool mine = false;
        bool others = false;
        for (int i = 1; i < argc; ++i) {
            const QByteArray function = functionOf(argv[i]);
            if (own.contains(function)) {
                mine = true;
            } else if (all.contains(function)) {
                others = true;
                continue;
            }
            arguments.push_back(argv[i]);
        }
        if (others && !mine)
            continue;
        // An exception out of a test function fails it and ends its class's run, not the others.
        try {
            const auto testObject = c.make();
            failures += QTest::qExec(testObject.get(), int(arguments.size()), arguments.data());
        } catch (...) {
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}

} // namespace

int registerTestClass(const QMetaObject& meta, Factory factory)
{
    testClasses().push_back({&meta, std::move(factory)});
    return static_cast<int>(testClasses().size());
}

} // namespace ql::test

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    ql::test::setUpProcess();
    return ql::test::runAll(argc, argv);
}
