#include "addressbook/addressbooktables.h"
#include "addressbook/pdaform.h"
#include "addressbook/pdaprint.h"
#include "core/settings.h"
#include "shell/mainmenu.h"
#include "shell/startup.h"
#include "support/pages.h"
#include "support/scripted.h"
#include "support/testenv.h"
#include "support/testmain.h"
#include "widgets/radiogroup.h"

#include <QAction>
#include <QApplication>
#include <QFontMetricsF>
#include <QImage>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>

using namespace ql;
using report::Document;
using test::printed;

namespace {

QString str(const char* text)
{
    return QString::fromUtf8(text);
}

const QDateTime printedAt(QDate(2024, 7, 4), QTime(15, 5, 7));

void click(QAbstractButton* button)
{
    QTest::mouseClick(button, Qt::LeftButton);
}

// A started program with the address book window shown over the given (first, last) names.
struct Fixture {
    test::ScriptedServices services;
    test::ProgramDirectory dir;
    test::FixedClock clock{dir.session(), printedAt};
    std::unique_ptr<Program> program =
        std::make_unique<Program>(dir.path(), dir.session(), services);
    AddressBookWindow* window = program->mainMenu()->addressBookWindow();

    explicit Fixture(const QList<QPair<QString, QString>>& names)
    {
        for (const auto& [first, last] : names) {
            table().insert();
            table().setValue(str("FirstName"), first);
            table().setValue(str("LastName"), last);
            table().post();
        }
        table().first();
        window->show();
    }
    Table& table() const { return *program->addressBook().tbNames; }
    // A control of the address book window, found by its object name.
    template <typename Control = QPushButton> Control* part(const char* name) const
    {
        auto* control = window->findChild<Control*>(QString::fromLatin1(name));
        if (!control)
            qFatal("The address book has no control %s", name);
        return control;
    }
    QList<test::ScriptedPrinting::ReportRun>& runs() const { return services.printing->reports; }

    // Opens the print menu from a File menu item, lets `use` work in it, then closes it.
    void withMenu(const char* item, const std::function<void(AddressBookPrintMenu&)>& use) const
    {
        QPointer<AddressBookPrintMenu> opened;
        QTimer::singleShot(0, [&] {
            const auto leave = qScopeGuard([] {
                if (auto* menu =
                        qobject_cast<AddressBookPrintMenu*>(QApplication::activeModalWidget()))
                    menu->reject();
            });
            opened = qobject_cast<AddressBookPrintMenu*>(QApplication::activeModalWidget());
            QVERIFY(opened);
            use(*opened);
            click(opened->findChild<QPushButton*>(str("Button3")));
        });
        window->action(str(item))->trigger();
        QVERIFY(!opened); // made for this opening only
    }
    // Prints in a layout (0: cards, 1: list); an empty document when nothing printed.
    Document print(int layout) const
    {
        const qsizetype before = runs().size();
        withMenu("PrintAll1", [&](AddressBookPrintMenu& menu) {
            click(menu.findChild<RadioGroup*>(str("RadioGroup1"))->button(layout));
            click(menu.findChild<QPushButton*>(str("Button2")));
        });
        return runs().size() > before ? runs().last().document : Document();
    }
};

// The component of a band that prints a field.
QString printerOf(const report::Band* band, const char* field)
{
    for (const auto& item : band->items())
        if (item->field == str(field))
            return item->name;
    return {};
}

// The pages as text, to compare runs.
QStringList contents(const Document& document)
{
    QStringList lines{document.title};
    for (const report::Page& page : document.pages) {
        lines << str("--");
        for (const report::PlacedItem& item : page.items)
            lines << QString::asprintf("%s %s %g %g %g %g", qPrintable(item.name),
                                       qPrintable(item.text), item.rect.x(), item.rect.y(),
                                       item.rect.width(), item.rect.height());
    }
    return lines;
}

// The texts of a page line by line, top to bottom, each line's texts left to right: texts whose
// boxes share their middle height stand on one line.
QStringList readLines(const report::Page& page)
{
    QList<report::PlacedItem> texts;
    for (const report::PlacedItem& item : page.items)
        if (item.kind == report::PlacedItem::Kind::Text && !item.text.isEmpty())
            texts << item;
    const auto middle = [](const report::PlacedItem& item) { return item.rect.center().y(); };
    std::stable_sort(texts.begin(), texts.end(),
                     [&](const auto& a, const auto& b) { return middle(a) < middle(b); });
    QList<QList<report::PlacedItem>> rows;
    for (const report::PlacedItem& item : texts) {
        if (rows.isEmpty() || middle(item) - middle(rows.last().first()) > 2)
            rows.append(QList<report::PlacedItem>());
        rows.last() << item;
    }
    QStringList lines;
    for (QList<report::PlacedItem>& row : rows) {
        std::stable_sort(row.begin(), row.end(), [](const auto& a, const auto& b) {
            return a.rect.left() < b.rect.left();
        });
        QStringList words;
        for (const report::PlacedItem& item : row)
            words << item.text;
        lines << words.join(QLatin1Char(' '));
    }
    return lines;
}

} // namespace

class PDAPrintTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Each print item opens the menu modally, where the last one was left.
    void bothPrintItemsOpenTheMenuWhereItWasLeft()
    {
        Fixture f({});
        QRect left;
        f.withMenu("PrintAll1", [&](AddressBookPrintMenu& menu) {
            QVERIFY(menu.isModal() && menu.parentWidget() == f.window);
            QCOMPARE(menu.findChild<RadioGroup*>(str("RadioGroup1"))->itemIndex(), 0);
            menu.setGeometry(50, 60, 430, 210);
            left = menu.frameGeometry();
        });
        Settings settings(*f.services.settings);
        QVERIFY(
            settings.openKey(QStringLiteral("SOFTWARE\\Varnholt\\Quillory\\PDA\\Print"), false));
        QCOMPARE(QRect(settings.readInteger(str("Left")), settings.readInteger(str("Top")),
                       settings.readInteger(str("Width")), settings.readInteger(str("Height"))),
                 left);
        QRect reopened;
        f.withMenu("PrintPreview1",
                   [&](AddressBookPrintMenu& menu) { reopened = menu.frameGeometry(); });
        QCOMPARE(reopened, left);
        QVERIFY(f.runs().isEmpty());
    }

    // Both layouts off as designed; every text field's box holds the field's size in average
    // characters.
    void everyValueBoxHoldsItsWholeField()
    {
        Fixture f({});
        const AddressBookReport report(f.table());
        QVERIFY(!report.listBand->enabled && !report.cardBand->enabled);
        QCOMPARE(report.cardBand->parent(), report.listBand);
        QImage device(1, 1, QImage::Format_Mono);
        device.setDotsPerMeterX(qRound(96 / 0.0254));
        for (const auto& band : report.bands())
            for (const auto& item : band->items()) {
                if (item->kind != report::Item::Kind::Field)
                    continue;
                const FieldDef& def = f.table().field(f.table().fieldIndex(item->field)).def;
                if (def.type == FieldType::Text)
                    QVERIFY2(def.size * QFontMetricsF(item->font, &device).averageCharWidth() <=
                                 item->rect.width(),
                             qPrintable(item->name));
            }
    }

    // One contact with every field filled, read off the page line by line as a person reads it:
    // each caption, then what stands right of it on its line.
    void eachLayoutPrintsEveryCaptionBesideItsValue_data()
    {
        QTest::addColumn<int>("layout");
        QTest::addColumn<QStringList>("lines");
        const QString footer = str("Printed: 7/4/2024 3:05:07 PM Quillory - Address Book Page 1");
        QTest::newRow("full card")
            << 0
            << QStringList{"Quillory - Address Book",
                           "First name: Ada Last name: Lovelace",
                           "Company: Engines Ltd Nickname: Countess",
                           "Address A Address B",
                           "Address: 12 St James Sq Address: Ockham Park",
                           "Address: Flat 3 Address: Lodge",
                           "City: London City: Surrey",
                           "State: LDN Zip: SW1Y 4LE State: SRY Zip: GU23 6NG",
                           "Phone A Phone B",
                           "Description: home Description: office",
                           "Number: 020 555-0101 Ext.: 12 Number: 014 555-0202 Ext.: 34",
                           "E-mail A: ada@engines.example",
                           "Description: private",
                           "E-mail B: ada@ockham.example",
                           "Description: work",
                           "Pager: beeper Number: 555-0303",
                           "Cell phone: mobile Number: 555-0404",
                           "Category: family",
                           "Group: science",
                           "Web site 1: engines.example",
                           "Web site 2: ockham.example",
                           "Memo: notes",
                           "Memo A: likes tea Memo B: plays harp",
                           footer};
        QTest::newRow("list") << 1
                              << QStringList{"Quillory - Address Book",
                                             "Name: Lovelace Ada Company: Engines Ltd",
                                             "Phone A: home 020 555-0101 Ext. 12 Cell: 555-0404",
                                             "Phone B: office 014 555-0202 Ext. 34 Pager: 555-0303",
                                             "E-mail A: ada@engines.example",
                                             "E-mail B: ada@ockham.example",
                                             footer};
    }
    void eachLayoutPrintsEveryCaptionBesideItsValue()
    {
        QFETCH(int, layout);
        QFETCH(QStringList, lines);
        Fixture f({});
        f.table().insert();
        const std::pair<const char*, const char*> values[] = {{"FirstName", "Ada"},
                                                              {"LastName", "Lovelace"},
                                                              {"Company", "Engines Ltd"},
                                                              {"NickName", "Countess"},
                                                              {"AdAddress1", "12 St James Sq"},
                                                              {"AdAddress2", "Flat 3"},
                                                              {"AdAddress3", "Ockham Park"},
                                                              {"AdAddress4", "Lodge"},
                                                              {"AdCity1", "London"},
                                                              {"AdCity2", "Surrey"},
                                                              {"AdState1", "LDN"},
                                                              {"AdState2", "SRY"},
                                                              {"AdZip1", "SW1Y 4LE"},
                                                              {"AdZip2", "GU23 6NG"},
                                                              {"PhDescription1", "home"},
                                                              {"PhDescription2", "office"},
                                                              {"PhAreaCode1", "020"},
                                                              {"PhAreaCode2", "014"},
                                                              {"PhNumber1", "555-0101"},
                                                              {"PhNumber2", "555-0202"},
                                                              {"PhExt1", "12"},
                                                              {"PhExt2", "34"},
                                                              {"EmAddress1", "ada@engines.example"},
                                                              {"EmAddress2", "ada@ockham.example"},
                                                              {"EmDescription1", "private"},
                                                              {"EmDescription2", "work"},
                                                              {"PagerDescr", "beeper"},
                                                              {"PagerNo", "555-0303"},
                                                              {"CellPhDescr", "mobile"},
                                                              {"CellPhNo", "555-0404"},
                                                              {"Category", "family"},
                                                              {"Group", "science"},
                                                              {"WebSite1", "engines.example"},
                                                              {"WebSite2", "ockham.example"},
                                                              {"MeDescription1", "notes"},
                                                              {"MeMemoData1", "likes tea"},
                                                              {"MeMemoData2", "plays harp"}};
        for (const auto& [field, value] : values)
            f.table().setValue(str(field), str(value));
        f.table().post();

        const Document document = f.print(layout);
        QCOMPARE(document.pages.size(), 1);
        QCOMPARE(readLines(document.pages.at(0)), lines);
    }

    void eachLayoutPrintsTheRecordsInTheOrderAndFilterOfTheAddressBook()
    {
        Fixture f({{"Zoe", "Adams"}, {"Amy", "Baker"}, {"Max", "Carter"}, {"Bob", "Baker"}});
        const AddressBookReport design(f.table());
        const QString card = printerOf(design.cardBand, "FirstName");
        const QString list = printerOf(design.listBand, "FirstName");

        click(f.part<RadioGroup>("RadioGroup1")->button(1)); // by first name
        const QStringList byFirstName{"Amy", "Bob", "Max", "Zoe"};
        const Document cards = f.print(0);
        QCOMPARE(printed(cards, card), byFirstName);
        QVERIFY(printed(cards, list).isEmpty());
        const Document names = f.print(1);
        QCOMPARE(printed(names, list), byFirstName);
        QVERIFY(printed(names, card).isEmpty());

        click(f.part<RadioGroup>("RadioGroup1")->button(0)); // by last name, then only the Bakers
        f.services.prompts->inputs.enqueue(str("baker"));
        click(f.part("BitBtn2"));
        f.table().last();
        const QStringList bakers{"Amy", "Bob"};
        QCOMPARE(printed(f.print(0), card), bakers);
        QCOMPARE(printed(f.print(1), list), bakers);
        QCOMPARE(f.table().asText(str("FirstName")), str("Bob")); // still the current record
        QVERIFY(f.table().hasRange());
    }

    void theMenuStaysOpenAndEveryRunStartsAfresh()
    {
        Fixture f({{"Amy", "Baker"}, {"Bob", "Carter"}});
        f.withMenu("PrintPreview1", [&](AddressBookPrintMenu& menu) {
            click(menu.findChild<QPushButton*>(str("Button1")));
            QVERIFY(menu.findChildren<AddressBookReport*>().isEmpty());
            click(menu.findChild<QPushButton*>(str("Button2")));
            click(menu.findChild<RadioGroup*>(str("RadioGroup1"))->button(1));
            click(menu.findChild<QPushButton*>(str("Button1")));
            click(menu.findChild<RadioGroup*>(str("RadioGroup1"))->button(0));
            click(menu.findChild<QPushButton*>(str("Button2")));
            QVERIFY(menu.isVisible());
        });
        const auto& runs = f.runs();
        QCOMPARE(runs.size(), 4);
        QCOMPARE((QList<bool>{runs[0].preview, runs[1].preview, runs[2].preview, runs[3].preview}),
                 (QList<bool>{true, false, true, false}));
        QCOMPARE(contents(runs[1].document), contents(runs[0].document));
        QCOMPARE(contents(runs[3].document), contents(runs[0].document));
        QVERIFY(contents(runs[2].document) != contents(runs[0].document));
    }

    void anEmptyBookPreviewsNoPagesAndPrintsNone()
    {
        Fixture f({});
        f.withMenu("PrintAll1", [](AddressBookPrintMenu& menu) {
            click(menu.findChild<QPushButton*>(str("Button1")));
            click(menu.findChild<QPushButton*>(str("Button2")));
        });
        QCOMPARE(f.runs().size(), 1);
        QVERIFY(f.runs().at(0).preview);
        QCOMPARE(f.runs().at(0).document.pages.size(), 0);
        QCOMPARE(f.services.prompts->messages, QStringList());
    }

    // Each record whole on one page, the title on the first, the footer on every one, and no
    // text over another.
    void manyContactsRunOverPagesWithTheFooterOnEach()
    {
        QList<QPair<QString, QString>> contacts;
        QStringList lastNames;
        for (int i = 10; i < 50; ++i) {
            contacts.append({QStringLiteral("First %1").arg(i), QStringLiteral("Last %1").arg(i)});
            lastNames << contacts.last().second;
        }
        Fixture f(contacts);
        const AddressBookReport design(f.table());
        const report::Band* layouts[2] = {design.cardBand, design.listBand};
        const char* lowest[2] = {"MeDescription1", "EmAddress2"};
        for (int layout = 0; layout < 2; ++layout) {
            const Document document = f.print(layout);
            const QString lastName = printerOf(layouts[layout], "LastName");
            QCOMPARE(printed(document, lastName), lastNames);
            QVERIFY(document.pages.size() >= 3);
            const QRectF area = QRectF(QPointF(0, 0), document.pageSize)
                                    .marginsRemoved(design.margins)
                                    .adjusted(-0.01, -0.01, 0.01, 0.01);
            for (qsizetype p = 0; p < document.pages.size(); ++p) {
                const report::Page& page = document.pages.at(p);
                QCOMPARE(printed(page, str("QRSysData2")), QStringList{QString::number(p + 1)});
                QCOMPARE(printed(page, str("QRSysData1")), QStringList{"7/4/2024 3:05:07 PM"});
                QCOMPARE(printed(page, str("QRLabel1")).size(), p == 0 ? 1 : 0);
                QCOMPARE(printed(page, lastName).size(),
                         printed(page, printerOf(layouts[layout], lowest[layout])).size());
                const QList<report::PlacedItem>& items = page.items;
                for (const report::PlacedItem& item : items) {
                    if (item.kind == report::PlacedItem::Kind::Rule)
                        continue;
                    QVERIFY2(area.contains(item.rect), qPrintable(item.name));
                    for (const report::PlacedItem& other : items)
                        QVERIFY2(&other == &item || !other.rect.intersects(item.rect),
                                 qPrintable(item.name + QLatin1Char('/') + other.name));
                }
            }
        }
    }
};

QL_TEST_CLASS(PDAPrintTest)
#include "tst_pdaprint.moc"
