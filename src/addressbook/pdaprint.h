#pragma once

#include "report/report.h"
#include "widgets/modulewindow.h"

class QPushButton;

namespace ql {

class RadioGroup;

// The printed address book: every contact the address book lists, in its order and within its
// filter. Two record layouts are designed, both switched off; whoever runs the report switches on
// one of them: the card band prints a full card per contact, the list band a compact list of
// names, phones and e-mail addresses.
class AddressBookReport : public report::Report {
    Q_OBJECT
public:
    explicit AddressBookReport(Table& names, QObject* owner = nullptr);

    report::Band* titleBand;  // the title, once at the top
    report::Band* listBand;   // the list: one short entry per contact
    report::Band* cardBand;   // the card: every field of the contact
    report::Band* footerBand; // the page footer

    report::Item* printedAt;  // in the footer: when the pages were made
    report::Item* pageNumber; // in the footer: the page's number

private:
    void designTitle();
    void designList();
    void designCard();
    void designCardAddresses();
    void designCardPhones();
    void designCardRest();
    static double cardTop(int line);
    // A caption and its field on a line of the card; returns the field.
    report::Item* cardField(double x, int line, const char* text, const char* name, double width);
    // The same caption and field for both sides of the card.
    void cardPair(int line, const char* text, const char* a, const char* b, double width);
    void cardHeadings(int line, const char* a, const char* b);
    void designFooter();
    report::Item* label(report::Band* band, const QString& caption, const QRectF& rect,
                        const QFont& font, Qt::Alignment alignment = Qt::AlignLeft);
    report::Item* field(report::Band* band, const char* name, const QRectF& rect,
                        const QFont& font);

    int m_labels = 0;
    int m_fields = 0;
};

// The address book's print menu: the record layout to print, then a preview or a print run.
// It stays open after each run, so one layout can be previewed and then printed, or both
// printed, before it is closed.
class AddressBookPrintMenu : public ModuleWindow {
    Q_OBJECT
public:
    AddressBookPrintMenu(Table& names, QWidget* parent);

private:
    // Builds a fresh report in the chosen layout and hands it to `show`; nothing without a
    // chosen layout.
    void run(void (*show)(QWidget* parent, report::Report& report));

    Table& m_names;
    // Item 0: a full card per contact; item 1: a list of names, phones and e-mail.
    RadioGroup* m_layoutChooser;
    QPushButton* m_previewButton;
    QPushButton* m_printButton;
    QPushButton* m_closeButton;
};

} // namespace ql
