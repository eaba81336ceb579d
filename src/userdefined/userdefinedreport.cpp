#include "userdefined/userdefinedreport.h"

#include "core/keys.h"
#include "core/seams.h"
#include "core/settings.h"
#include "report/commonbands.h"
#include "report/run.h"
#include "store/error.h"
#include "widgets/builders.h"
#include "widgets/commands.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace ql {
using report::BandKind;
namespace {

constexpr double kCaptionLefts[3] = {16, 312, 600};
constexpr double kValueLefts[3] = {112, 408, 697};
constexpr double kRowTops[3] = {24, 72, 120};
constexpr double kLineHeight = 18;

QString fieldName(int n)
{
    return QStringLiteral("Label%1").arg(n + 1);
}

} // namespace

double UserDefinedReport::slotTop(int slot)
{
    return kRowTops[(slot - 1) / 3];
}

// The caption stands left of the value; the value reaches to the next column's caption, or to
// the margin in the last column.
void UserDefinedReport::moveToSlot(int field, int slot)
{
    const int column = (slot - 1) % 3;
    const double end = column == 2 ? bandWidth() : kCaptionLefts[column + 1];
    const double top = slotTop(slot);
    fieldCaptions[size_t(field - 1)]->rect = QRectF(
        kCaptionLefts[column], top, kValueLefts[column] - kCaptionLefts[column] - 4, kLineHeight);
    fieldValues[size_t(field - 1)]->rect =
        QRectF(kValueLefts[column], top, end - kValueLefts[column] - 4, kLineHeight);
}

UserDefinedReport::UserDefinedReport(Table& table, QObject* owner)
    : Report(owner, &table)
    , m_memo(*this, QStringLiteral("Memo"))
{
    title = QStringLiteral("Quillory - User Defined Print");
    // Across the page: the third column of slots needs the width.
    pageSize = QPageSize(QSizeF(11, 8.5), QPageSize::Inch, QStringLiteral("Letter (landscape)"),
                         QPageSize::ExactMatch);
    const double width = bandWidth();

    report::Band* top = report::addTitleBand(*this, {}, 12, QStringLiteral("TitleBand1"));
    heading = top->item(QStringLiteral("QRLabel1"));

    record = addBand(BandKind::Detail, QStringLiteral("DetailBand1"), kRowTops[2] + 30);
    record->ruleBelow = true;
    for (int n = 0; n < 9; ++n) {
        fieldCaptions[size_t(n)] =
            record->addLabel(QStringLiteral("QRLabel%1").arg(n + 2), fieldName(n), {});
        fieldValues[size_t(n)] =
            record->addField(QStringLiteral("QRDBText%1").arg(n + 1), fieldName(n), {});
        moveToSlot(n + 1, n + 1);
        fieldCaptions[size_t(n)]->font = font(10, true);
        fieldValues[size_t(n)]->font = font(10);
        // A long name or value goes over lines within its slot's width.
        fieldCaptions[size_t(n)]->wordWrap = fieldValues[size_t(n)]->wordWrap = true;
        fieldCaptions[size_t(n)]->enabled = fieldValues[size_t(n)]->enabled = false;
    }

    memo = addBand(BandKind::Child, QStringLiteral("ChildBand1"), 26, record);
    memo->enabled = false;
    report::Item* text =
        memo->addMemo(QStringLiteral("QRDBRichText1"), QRectF(16, 4, width - 16, kLineHeight));
    text->font = font(10);
    memo->beforePrint = [this, text] { text->lines = m_memo.lines(); };

    report::addPageFooter(*this, QStringLiteral("PageFooterBand1"));
}

UserDefinedPrintMenu::UserDefinedPrintMenu(Table& table, QWidget* parent)
    : ModuleWindow(parent, designs::userDefinedPrint)
    , m_table(table)
{
    setFirstShowing([this] { showStoredNames(); });

    QLabel* label = makeLabel(this, "Label1", QStringLiteral("Tick what each record prints:"));

    QFrame* bevel = makePanel(this, "Bevel1");

    auto* boxes = new QGridLayout(bevel);
    for (int n = 0; n < 9; ++n) {
        auto* box = new QCheckBox(fieldName(n), bevel);
        box->setObjectName(QStringLiteral("CheckBox%1").arg(n + 1));
        box->setToolTip(QStringLiteral("Print this field"));
        box->setAccessibleName(QStringLiteral("Field %1").arg(n + 1));
        m_fields[size_t(n)] = box;
        boxes->addWidget(box, n / 3, n % 3);
    }
    m_memo = new QCheckBox(QStringLiteral("The &memo"), bevel);
    m_memo->setObjectName(QStringLiteral("CheckBox10"));
    m_memo->setAccessibleName(QStringLiteral("The memo"));
    m_memo->setToolTip(QStringLiteral("Print each record's memo below its fields"));
    boxes->addWidget(m_memo, 3, 0, 1, 3);

    QVBoxLayout* buttons = declarePrintMenu(
        this, {.preview = makeButton(this, "Button1"),
               .previewHandler = [this] { run(&report::preview); },
               .print = makeButton(this, "Button2"),
               .printHandler = [this] { run(&report::print); },
               .printHint = QStringLiteral("Print the records on the current printer"),
               .close = makeButton(this, "Button3"),
               .closeHandler = [this] { accept(); }});
    auto* left = new QVBoxLayout;
    left->addWidget(label);
    left->addWidget(bevel, 1);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(buttons);
}

// The menu is captioned with the title and its boxes with the names as the user-defined window
// stored them; the fields in use start ticked. Without a title the menu keeps its own caption.
void UserDefinedPrintMenu::showStoredNames()
{
    Settings settings(Services::of(this).settings());
    settings.openKey(keys::UserDef, true);
    const QString title = settings.readString(QStringLiteral("Title"));
    if (!title.isEmpty() && title != QStringLiteral("None"))
        setWindowTitle(title);
    for (int n = 0; n < 9; ++n) {
        const QString name = settings.readString(fieldName(n));
        QString caption = name;
        m_fields[size_t(n)]->setText(caption.replace(QLatin1Char('&'), QStringLiteral("&&")));
        m_fields[size_t(n)]->setChecked(name != QStringLiteral("None"));
        if (!name.isEmpty())
            m_fields[size_t(n)]->setAccessibleName(name);
    }
}

void UserDefinedPrintMenu::run(void (*show)(QWidget* parent, report::Report& report))
{
    UserDefinedReport layout(m_table, this);
    prepare(layout);
    show(this, layout);
}

void UserDefinedPrintMenu::prepare(UserDefinedReport& layout) const
{
    try {
        Settings settings(Services::of(this).settings());
        settings.openKey(keys::UserDef, true);
        layout.heading->caption = settings.readString(QStringLiteral("Title"));
        for (int n = 0; n < 9; ++n)
            layout.fieldCaptions[size_t(n)]->caption = settings.readString(fieldName(n));
    } catch (const Error&) {
        // What could not be read prints as designed.
    }
    // The ticked fields fill the slots from the first, in field order.
    int slot = 0;
    for (int n = 0; n < 9; ++n) {
        if (!m_fields[size_t(n)]->isChecked())
            continue;
        ++slot;
        layout.fieldCaptions[size_t(n)]->enabled = layout.fieldValues[size_t(n)]->enabled = true;
        layout.moveToSlot(n + 1, slot);
    }
    if (m_memo->isChecked())
        layout.memo->enabled = true;
    if (slot == 0)
        layout.record->enabled = false;
    else
        layout.record->height = UserDefinedReport::slotTop(slot) + 30;
}

} // namespace ql
