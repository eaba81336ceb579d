#include "core/keys.h"
#include "core/settings.h"
#include "support/modulefixture.h"
#include "support/pages.h"
#include "support/scripted.h"
#include "support/testenv.h"
#include "support/testmain.h"
#include "userdefined/userdefinedreport.h"
#include "userdefined/userdefinedtables.h"

#include <QCheckBox>
#include <QPushButton>
#include <QTest>

using namespace ql;
using test::placed;
using test::printed;

namespace {

QString str(const char* text)
{
    return QString::fromUtf8(text);
}

// The user-defined holder as the window has it open, with a configuration stored and the print
// menu shown over it.
struct PrintRun {
    test::ScriptedServices services;
    test::ProgramDirectory dir;
    test::FixedClock clock{dir.session(), QDateTime(QDate(2024, 3, 10), QTime(12, 0))};
    UserDefinedTables holder{dir.session()};
    std::unique_ptr<UserDefinedPrintMenu> menu;

    explicit PrintRun(int useMemo = 1)
    {
        Settings s(*services.settings);
        s.openKey(keys::UserDef, true);
        s.writeString(str("Title"), str("Cellar"));
        for (int n = 1; n <= 9; ++n)
            s.writeString(QStringLiteral("Label%1").arg(n),
                          n == 4 ? str("None") : QStringLiteral("Name %1").arg(n));
        s.writeInteger(str("UseMemo"), useMemo);
        for (const char* wine : {"Rioja", "Barolo", "Chablis"}) {
            holder.tbUserDefined->insert();
            for (int n = 1; n <= 9; ++n)
                holder.tbUserDefined->setValue(QStringLiteral("Label%1").arg(n),
                                               QStringLiteral("%1 %2").arg(str(wine)).arg(n));
            holder.tbUserDefined->setValue(str("Memo"), str(wine) + str(" notes"));
            holder.tbUserDefined->post();
        }
        menu = std::make_unique<UserDefinedPrintMenu>(*holder.tbUserDefined);
        services.serve(menu.get());
        menu->show();
    }
    QCheckBox* box(int n) const
    {
        return menu->findChild<QCheckBox*>(QStringLiteral("CheckBox%1").arg(n));
    }
    QPushButton* button(const char* name) const { return menu->findChild<QPushButton*>(str(name)); }
    // Ticks exactly the given fields (and the memo) and prints.
    report::Document print(std::initializer_list<int> fields, bool memo)
    {
        for (int n = 0; n < 9; ++n)
            box(n + 1)->setChecked(std::find(fields.begin(), fields.end(), n + 1) != fields.end());
        box(10)->setChecked(memo);
        QTest::mouseClick(button("Button2"), Qt::LeftButton);
        return services.printing->reports.last().document;
    }
    static QPointF at(const report::Page& page, const QString& name)
    {
        return placed(page, name).rect.topLeft();
    }
};

// Where the detail band of the first record starts on the page.
QPointF bandOrigin(const report::Page& page)
{
    return placed(page, str("QRLabel2")).rect.topLeft() - QPointF(16, 24);
}

} // namespace

class UserDefPrintTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void theMenuTakesTheStoredTitleAndNames()
    {
        PrintRun p;
        QCOMPARE(p.menu->windowTitle(), str("Cellar"));
        QCOMPARE(p.box(4)->text(), str("None"));
        QCOMPARE(p.box(9)->text(), str("Name 9"));
        QVERIFY(p.box(1)->isChecked() && !p.box(4)->isChecked());
        QCOMPARE(test::unnamedControls(p.menu.get()), QStringList());
        QTest::mouseClick(p.button("Button1"), Qt::LeftButton);
        QVERIFY(p.services.printing->reports.last().preview);
        QVERIFY(p.menu->isVisible()); // it stays open for another run
    }

    void tickedFieldsFillTheSlotsInFieldOrder()
    {
        PrintRun p;
        report::Document doc = p.print({2, 5, 9}, false);
        const report::Page& page = doc.pages.first();
        QCOMPARE(printed(page, str("QRLabel1")), QStringList({"Cellar"}));
        QCOMPARE(printed(doc, str("QRLabel3")), QStringList({"Name 2", "Name 2", "Name 2"}));
        QCOMPARE(printed(doc, str("QRDBText9")), QStringList({"Rioja 9", "Barolo 9", "Chablis 9"}));
        QVERIFY(printed(doc, str("QRLabel2")).isEmpty());
        const QPointF origin = PrintRun::at(page, str("QRLabel3")) - QPointF(16, 24);
        const std::pair<const char*, QPointF> expected[] = {
            {"QRLabel3", {16, 24}},   {"QRDBText2", {112, 24}}, {"QRLabel6", {312, 24}},
            {"QRDBText5", {408, 24}}, {"QRLabel10", {600, 24}}, {"QRDBText9", {697, 24}}};
        for (const auto& [name, where] : expected)
            QCOMPARE(PrintRun::at(page, str(name)) - origin, where);
        for (const report::PlacedItem& item : page.items)
            QVERIFY2(item.rect.right() <= doc.pageSize.width() - 48, qPrintable(item.name));

        doc = p.print({1, 2, 3, 4, 5, 6, 7, 8, 9}, false);
        const report::Page& all = doc.pages.first();
        const QPointF first = bandOrigin(all);
        for (int n = 1; n <= 9; ++n) {
            const QPointF slot((QList<double>{16, 312, 600})[(n - 1) % 3],
                               (QList<double>{24, 72, 120})[(n - 1) / 3]);
            QCOMPARE(PrintRun::at(all, QStringLiteral("QRLabel%1").arg(n + 1)) - first, slot);
        }
        QCOMPARE(printed(all, str("QRLabel5")).first(), str("None"));
    }

    void withNothingTickedOnlyTheTitleAndFootersPrint()
    {
        PrintRun p;
        const report::Document doc = p.print({}, false);
        QCOMPARE(doc.pages.size(), 1);
        QStringList names;
        for (const report::PlacedItem& item : doc.pages.first().items)
            names << item.name;
        names.removeDuplicates();
        QCOMPARE(names, QStringList({"QRLabel1", "QRSysData1", "QRSysData2"}));
    }

    void theMemoPrintsWhateverTheWindowShowsAndTheFilterHolds()
    {
        PrintRun p(0);
        Table& t = *p.holder.tbUserDefined;
        t.setIndexName(str("idxLabel1"));
        t.setRangeText(str("barolo 1"), str("chablis 1"));
        const report::Document doc = p.print({1}, true);
        QCOMPARE(printed(doc, str("QRDBText1")), QStringList({"Barolo 1", "Chablis 1"}));
        QCOMPARE(printed(doc, str("QRDBRichText1")),
                 QStringList({"Barolo notes", "Chablis notes"}));
    }
};

QL_TEST_CLASS(UserDefPrintTest)

#include "tst_userdefprint.moc"
