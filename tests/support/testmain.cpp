#include "testmain.h"

#include "testenv.h"

#include <QApplication>
#include <QTest>
#include <vector>

namespace ql::test {
namespace {
std::vector<Factory>& factories()
{
    static std::vector<Factory> list;
    return list;
}
} // namespace

int registerTestClass(Factory factory)
{
    factories().push_back(std::move(factory));
    return static_cast<int>(factories().size());
}

} // namespace ql::test

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    ql::test::setUpProcess();
    int failures = 0;
    for (const auto& factory : ql::test::factories()) {
        const auto testObject = factory();
        failures += QTest::qExec(testObject.get(), argc, argv);
    }
    return failures == 0 ? 0 : 1;
}
