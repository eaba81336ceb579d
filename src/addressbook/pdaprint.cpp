#include "addressbook/pdaprint.h"

#include "report/run.h"
#include "widgets/commands.h"
#include "widgets/radiogroup.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace ql {

using report::Band;
using report::BandKind;
using report::Item;

namespace {

// Positions are in layout units (1/96 inch) from the top left of their band. Every value box
// holds its field's full size at the average width of a character of its font.
constexpr double Line = 13; // the pitch of 8 point lines
// The card: a caption column, then the value; column B starts halfway across.
constexpr double CaptionWidth = 70;
constexpr double Value = 74;
constexpr double ColumnB = 364;
// The list: a caption column on the left, another one for the right-hand values.
constexpr double ListCaption = 50;
constexpr double ListValue = 54;
constexpr double ListRight = 468;
constexpr double ListRightValue = 524;

QString str(const char* text)
{
    return QString::fromLatin1(text);
}

} // namespace

AddressBookReport::AddressBookReport(Table& names, QObject* owner)
    : Report(owner, &names)
{
    setObjectName(QStringLiteral("PDAPrint1"));
    title = QStringLiteral("Quillory - Address Book");
    designTitle();
    designList();
    designCard();
    designFooter();
}

Item* AddressBookReport::label(Band* band, const QString& caption, const QRectF& rect,
                               const QFont& font, Qt::Alignment alignment)
{
    ++m_labels;
    Item* item = band->addLabel(QStringLiteral("QRLabel%1").arg(m_labels), caption, rect);
    item->font = font;
    item->alignment = alignment;
    return item;
}

Item* AddressBookReport::field(Band* band, const char* name, const QRectF& rect, const QFont& font)
{
    ++m_fields;
    Item* item = band->addField(QStringLiteral("QRDBText%1").arg(m_fields), str(name), rect);
    item->font = font;
    return item;
}

void AddressBookReport::designTitle()
{
    titleBand = addBand(BandKind::Title, QStringLiteral("QRBand1"), 28);
    label(titleBand, title, QRectF(0, 0, bandWidth(), 24), font(14, true), Qt::AlignHCenter);
}

// Five lines a contact: the name and company, phone A with the cell phone, phone B with the
// pager, then the two e-mail addresses.
void AddressBookReport::designList()
{
    listBand = addBand(BandKind::Detail, QStringLiteral("QRBand2"), 70);
    listBand->enabled = false;
    listBand->ruleBelow = true;
    Band* band = listBand;
    const QFont bold = font(8, true);
    const QFont value = font(8);
    const auto top = [](int line) { return 2 + Line * line; };
    const auto captioned = [&](int line, const char* text) {
        label(band, str(text), QRectF(0, top(line), ListCaption, Line), bold);
    };
    const auto right = [&](int line, const char* text, const char* name, double width) {
        label(band, str(text), QRectF(ListRight, top(line), ListRightValue - ListRight - 2, Line),
              bold);
        field(band, name, QRectF(ListRightValue, top(line), width, Line), value);
    };

    captioned(0, "Name:");
    field(band, "LastName", QRectF(ListValue, top(0), 204, Line), bold);
    field(band, "FirstName", QRectF(ListValue + 208, top(0), 204, Line), bold);
    right(0, "Company:", "Company", 196);

    // Caption, description, area code, number and extension; then the cell phone or the pager.
    const char* phones[2][7] = {
        {"Phone A:", "PhDescription1", "PhAreaCode1", "PhNumber1", "PhExt1", "Cell:", "CellPhNo"},
        {"Phone B:", "PhDescription2", "PhAreaCode2", "PhNumber2", "PhExt2", "Pager:", "PagerNo"}};
    for (int i = 0; i < 2; ++i) {
        const int line = 1 + i;
        const char* const* phone = phones[i];
        captioned(line, phone[0]);
        field(band, phone[1], QRectF(ListValue, top(line), 100, Line), value);
        field(band, phone[2], QRectF(ListValue + 104, top(line), 24, Line), value);
        field(band, phone[3], QRectF(ListValue + 132, top(line), 164, Line), value);
        label(band, QStringLiteral("Ext."), QRectF(ListValue + 300, top(line), 24, Line), bold);
        field(band, phone[4], QRectF(ListValue + 328, top(line), 36, Line), value);
        right(line, phone[5], phone[6], 164);
    }

    captioned(3, "E-mail A:");
    field(band, "EmAddress1", QRectF(ListValue, top(3), 326, Line), value);
    captioned(4, "E-mail B:");
    field(band, "EmAddress2", QRectF(ListValue, top(4), 326, Line), value);
}

// Every field of a contact, laid out as the address book window shows them: the name, the two
// addresses and the two phones side by side, then the rest one to a line.
void AddressBookReport::designCard()
{
    cardBand = addBand(BandKind::Child, QStringLiteral("ChildBand1"), 292, listBand);
    cardBand->enabled = false;
    cardBand->ruleBelow = true;
    const QFont caption = font(8, true);
    const QFont name = font(9, true);
    label(cardBand, QStringLiteral("First name:"), QRectF(0, 2, CaptionWidth, Line), caption);
    field(cardBand, "FirstName", QRectF(Value, 1, 222, 15), name);
    label(cardBand, QStringLiteral("Last name:"), QRectF(ColumnB, 2, CaptionWidth, Line), caption);
    field(cardBand, "LastName", QRectF(ColumnB + Value, 1, 222, 15), name);
    cardField(0, 1, "Company:", "Company", 196);
    cardField(ColumnB, 1, "Nickname:", "NickName", 196);
    designCardAddresses();
    designCardPhones();
    designCardRest();
}

// The name takes the first line, in a larger type; the other lines follow at the pitch.
double AddressBookReport::cardTop(int line)
{
    return 16 + Line * (line - 1);
}

report::Item* AddressBookReport::cardField(double x, int line, const char* text, const char* name,
                                           double width)
{
    label(cardBand, str(text), QRectF(x, cardTop(line), CaptionWidth, Line), font(8, true));
    return field(cardBand, name, QRectF(x + Value, cardTop(line), width, Line), font(8));
}

void AddressBookReport::cardPair(int line, const char* text, const char* a, const char* b,
                                 double width)
{
    cardField(0, line, text, a, width);
    cardField(ColumnB, line, text, b, width);
}

void AddressBookReport::cardHeadings(int line, const char* a, const char* b)
{
    QFont heading = font(8, true);
    heading.setUnderline(true);
    label(cardBand, str(a), QRectF(0, cardTop(line), ColumnB - 12, Line), heading);
    label(cardBand, str(b), QRectF(ColumnB, cardTop(line), bandWidth() - ColumnB, Line), heading);
}

void AddressBookReport::designCardAddresses()
{
    const QFont caption = font(8, true);
    const QFont value = font(8);
    cardHeadings(2, "Address A", "Address B");
    cardPair(3, "Address:", "AdAddress1", "AdAddress3", 196);
    cardPair(4, "Address:", "AdAddress2", "AdAddress4", 196);
    cardPair(5, "City:", "AdCity1", "AdCity2", 196);
    const char* zips[2][2] = {{"AdState1", "AdZip1"}, {"AdState2", "AdZip2"}};
    for (int side = 0; side < 2; ++side) {
        const double x = side * ColumnB;
        cardField(x, 6, "State:", zips[side][0], 24);
        label(cardBand, QStringLiteral("Zip:"), QRectF(x + 104, cardTop(6), 30, Line), caption);
        field(cardBand, zips[side][1], QRectF(x + 138, cardTop(6), 68, Line), value);
    }
}

void AddressBookReport::designCardPhones()
{
    const QFont caption = font(8, true);
    const QFont value = font(8);
    cardHeadings(7, "Phone A", "Phone B");
    cardPair(8, "Description:", "PhDescription1", "PhDescription2", 100);
    const char* numbers[2][3] = {{"PhAreaCode1", "PhNumber1", "PhExt1"},
                                 {"PhAreaCode2", "PhNumber2", "PhExt2"}};
    for (int side = 0; side < 2; ++side) {
        const double x = side * ColumnB;
        cardField(x, 9, "Number:", numbers[side][0], 24);
        field(cardBand, numbers[side][1], QRectF(x + 102, cardTop(9), 164, Line), value);
        label(cardBand, QStringLiteral("Ext.:"), QRectF(x + 270, cardTop(9), 28, Line), caption);
        field(cardBand, numbers[side][2], QRectF(x + 302, cardTop(9), 36, Line), value);
    }
}

// The e-mail addresses, the pager and cell phone, category, group, web sites and memos, one to
// a line.
void AddressBookReport::designCardRest()
{
    cardField(0, 10, "E-mail A:", "EmAddress1", 326);
    cardField(0, 11, "Description:", "EmDescription1", 424);
    cardField(0, 12, "E-mail B:", "EmAddress2", 326);
    cardField(0, 13, "Description:", "EmDescription2", 424);
    const char* mobiles[2][3] = {{"Pager:", "PagerDescr", "PagerNo"},
                                 {"Cell phone:", "CellPhDescr", "CellPhNo"}};
    for (int i = 0; i < 2; ++i) {
        const int line = 14 + i;
        cardField(0, line, mobiles[i][0], mobiles[i][1], 392);
        label(cardBand, QStringLiteral("Number:"), QRectF(470, cardTop(line), 48, Line),
              font(8, true));
        field(cardBand, mobiles[i][2], QRectF(522, cardTop(line), 164, Line), font(8));
    }
    cardField(0, 16, "Category:", "Category", 392);
    cardField(0, 17, "Group:", "Group", 392);
    cardField(0, 18, "Web site 1:", "WebSite1", 456);
    cardField(0, 19, "Web site 2:", "WebSite2", 456);
    cardField(0, 20, "Memo:", "MeDescription1", 164);
    // The two memos side by side, each over as many lines as it takes; the card grows to hold
    // the longer one.
    cardField(0, 21, "Memo A:", "MeMemoData1", ColumnB - Value - 12)->wordWrap = true;
    cardField(ColumnB, 21, "Memo B:", "MeMemoData2", bandWidth() - ColumnB - Value)->wordWrap =
        true;
}

// When the pages were made, the report's title (the title band is on the first page only) and
// the page number.
void AddressBookReport::designFooter()
{
    footerBand = addBand(BandKind::PageFooter, QStringLiteral("QRBand3"), 20);
    footerBand->ruleAbove = true;
    const QFont text = font(8);
    label(footerBand, QStringLiteral("Printed:"), QRectF(0, 5, 44, Line), text);
    printedAt = footerBand->addSystemData(QStringLiteral("QRSysData1"),
                                          report::SystemData::DateTime, QRectF(48, 5, 200, Line));
    printedAt->font = text;
    label(footerBand, title, QRectF(260, 5, 200, Line), text, Qt::AlignHCenter);
    label(footerBand, QStringLiteral("Page"), QRectF(630, 5, 40, Line), text, Qt::AlignRight);
    pageNumber =
        footerBand->addSystemData(QStringLiteral("QRSysData2"), report::SystemData::PageNumber,
                                  QRectF(674, 5, bandWidth() - 674, Line));
    pageNumber->font = text;
}

AddressBookPrintMenu::AddressBookPrintMenu(Table& names, QWidget* parent)
    : ModuleWindow(parent, designs::addressBookPrint)
    , m_names(names)
{

    m_layoutChooser = new RadioGroup(QStringLiteral("Layout"),
                                     {QStringLiteral("&Full card per contact"),
                                      QStringLiteral("&List of names, phones and e-mail")},
                                     this);
    m_layoutChooser->setObjectName(QStringLiteral("RadioGroup1"));
    m_layoutChooser->setToolTip(QStringLiteral("How each contact is printed"));
    m_layoutChooser->setItemIndex(0);
    m_previewButton = makeButton(this, "Button1");
    m_printButton = makeButton(this, "Button2");
    m_closeButton = makeButton(this, "Button3");
    QVBoxLayout* buttons = declarePrintMenu(
        this, {.preview = m_previewButton,
               .previewHandler = [this] { run(&report::preview); },
               .print = m_printButton,
               .printHandler = [this] { run(&report::print); },
               .printHint = QStringLiteral("Print the address book on the current printer"),
               .close = m_closeButton,
               .closeHandler = [this] { accept(); }});
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_layoutChooser, 1);
    layout->addLayout(buttons);
}

void AddressBookPrintMenu::run(void (*show)(QWidget* parent, report::Report& report))
{
    const int layout = m_layoutChooser->itemIndex();
    if (layout < 0)
        return;
    AddressBookReport report(m_names, this);
    (layout == 0 ? report.cardBand : report.listBand)->enabled = true;
    show(this, report);
}

} // namespace ql
