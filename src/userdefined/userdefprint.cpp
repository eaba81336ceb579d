#include "userdefined/userdefprint.h"

#include "core/keys.h"
#include "core/settings.h"
#include "report/commonbands.h"
#include "report/run.h"
#include "store/error.h"
#include "store/holders.h"
#include "widgets/commands.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
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

double TUserDefinedPrint::slotTop(int slot)
{
    return kRowTops[(slot - 1) / 3];
}

// The caption stands left of the value; the value reaches to the next column's caption, or to
// the margin in the last column.
void TUserDefinedPrint::moveToSlot(int field, int slot)
{
    const int column = (slot - 1) % 3;
    const double end = column == 2 ? bandWidth() : kCaptionLefts[column + 1];
    const double top = slotTop(slot);
    Captions[size_t(field - 1)]->rect = QRectF(
        kCaptionLefts[column], top, kValueLefts[column] - kCaptionLefts[column] - 4, kLineHeight);
    Values[size_t(field - 1)]->rect =
        QRectF(kValueLefts[column], top, end - kValueLefts[column] - 4, kLineHeight);
}

TUserDefinedPrint::TUserDefinedPrint(QObject* owner)
    : Report(owner, DataModule8->tbUserDefined)
    , m_memo(*this, QStringLiteral("Memo"))
{
    title = QStringLiteral("Quillory - User Defined Print");
    // Across the page: the third column of slots needs the width.
    pageSize = QPageSize(QSizeF(11, 8.5), QPageSize::Inch, QStringLiteral("Letter (landscape)"),
                         QPageSize::ExactMatch);
    const double width = bandWidth();

    TitleBand1 = report::addTitleBand(*this, {}, 12, QStringLiteral("TitleBand1"));
    QRLabel1 = TitleBand1->item(QStringLiteral("QRLabel1"));

    DetailBand1 = addBand(BandKind::Detail, QStringLiteral("DetailBand1"), kRowTops[2] + 30);
    DetailBand1->ruleBelow = true;
    for (int n = 0; n < 9; ++n) {
        Captions[size_t(n)] =
            DetailBand1->addLabel(QStringLiteral("QRLabel%1").arg(n + 2), fieldName(n), {});
        Values[size_t(n)] =
            DetailBand1->addField(QStringLiteral("QRDBText%1").arg(n + 1), fieldName(n), {});
        moveToSlot(n + 1, n + 1);
        Captions[size_t(n)]->font = font(10, true);
        Values[size_t(n)]->font = font(10);
        Captions[size_t(n)]->enabled = Values[size_t(n)]->enabled = false;
    }

    ChildBand1 = addBand(BandKind::Child, QStringLiteral("ChildBand1"), 26, DetailBand1);
    ChildBand1->enabled = false;
    QRDBRichText1 = ChildBand1->addMemo(QStringLiteral("QRDBRichText1"),
                                        QRectF(16, 4, width - 16, kLineHeight));
    QRDBRichText1->font = font(10);
    ChildBand1->beforePrint = [this] { QRDBRichText1->lines = m_memo.lines(); };

    PageFooterBand1 = report::addPageFooter(*this, QStringLiteral("PageFooterBand1"));
}

TUserDefPrtMenu::TUserDefPrtMenu(QWidget* parent)
    : ModuleWindow(parent, keys::UserDefPrint, QRect(330, 200, 420, 320))
{
    setObjectName(QStringLiteral("UserDefPrtMenu"));
    setWindowTitle(QStringLiteral("Quillory - Print"));

    auto* label1 = new QLabel(QStringLiteral("Tick what each record prints:"), this);
    label1->setObjectName(QStringLiteral("Label1"));
    auto* bevel1 = new QFrame(this);
    bevel1->setObjectName(QStringLiteral("Bevel1"));
    bevel1->setFrameShape(QFrame::StyledPanel);
    auto* boxes = new QGridLayout(bevel1);
    for (int n = 0; n < 9; ++n) {
        auto* box = new QCheckBox(fieldName(n), bevel1);
        box->setObjectName(QStringLiteral("CheckBox%1").arg(n + 1));
        box->setToolTip(QStringLiteral("Print this field"));
        box->setAccessibleName(QStringLiteral("Field %1").arg(n + 1));
        Fields[size_t(n)] = box;
        boxes->addWidget(box, n / 3, n % 3);
    }
    CheckBox10 = new QCheckBox(QStringLiteral("The &memo"), bevel1);
    CheckBox10->setObjectName(QStringLiteral("CheckBox10"));
    CheckBox10->setAccessibleName(QStringLiteral("The memo"));
    CheckBox10->setToolTip(QStringLiteral("Print each record's memo below its fields"));
    boxes->addWidget(CheckBox10, 3, 0, 1, 3);

    Button1 = makeButton(this, "Button1");
    Button2 = makeButton(this, "Button2");
    Button3 = makeButton(this, "Button3");
    QVBoxLayout* buttons = declarePrintMenu(
        this, {.preview = Button1,
               .previewHandler = [this] { Button1Click(); },
               .print = Button2,
               .printHandler = [this] { Button2Click(); },
               .printHint = QStringLiteral("Print the records on the current printer"),
               .close = Button3,
               .closeHandler = [this] { Button3Click(); }});
    auto* left = new QVBoxLayout;
    left->addWidget(label1);
    left->addWidget(bevel1, 1);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(buttons);
}

void TUserDefPrtMenu::showEvent(QShowEvent* event)
{
    ModuleWindow::showEvent(event);
    if (!event->spontaneous() && !m_shown) {
        m_shown = true;
        FormShow();
    }
}

// The menu is captioned with the title and its boxes with the names as the user-defined window
// stored them; the fields in use start ticked.
void TUserDefPrtMenu::FormShow()
{
    Settings settings;
    settings.openKey(keys::UserDef, true);
    setWindowTitle(settings.readString(QStringLiteral("Title")));
    for (int n = 0; n < 9; ++n) {
        const QString name = settings.readString(fieldName(n));
        QString caption = name;
        Fields[size_t(n)]->setText(caption.replace(QLatin1Char('&'), QStringLiteral("&&")));
        Fields[size_t(n)]->setChecked(name != QStringLiteral("None"));
        if (!name.isEmpty())
            Fields[size_t(n)]->setAccessibleName(name);
    }
}

void TUserDefPrtMenu::run(void (*show)(QWidget* parent, report::Report& report))
{
    std::array<bool, 9> ticked{};
    for (int n = 0; n < 9; ++n)
        ticked[size_t(n)] = Fields[size_t(n)]->isChecked();
    const bool memo = CheckBox10->isChecked();
    report::run<TUserDefinedPrint>(this, UserDefinedPrint, show, [&](TUserDefinedPrint& layout) {
        try {
            Settings settings;
            settings.openKey(keys::UserDef, true);
            layout.QRLabel1->caption = settings.readString(QStringLiteral("Title"));
            for (int n = 0; n < 9; ++n)
                layout.Captions[size_t(n)]->caption = settings.readString(fieldName(n));
        } catch (const Error&) {
            // What could not be read prints as designed.
        }
        // The ticked fields fill the slots from the first, in field order.
        int slot = 0;
        for (int n = 0; n < 9; ++n) {
            if (!ticked[size_t(n)])
                continue;
            ++slot;
            layout.Captions[size_t(n)]->enabled = layout.Values[size_t(n)]->enabled = true;
            layout.moveToSlot(n + 1, slot);
        }
        if (memo)
            layout.ChildBand1->enabled = true;
        if (slot == 0)
            layout.DetailBand1->enabled = false;
        else
            layout.DetailBand1->height = TUserDefinedPrint::slotTop(slot) + 30;
    });
}

void TUserDefPrtMenu::Button1Click()
{
    run(&report::preview);
}

void TUserDefPrtMenu::Button2Click()
{
    run(&report::print);
}

void TUserDefPrtMenu::Button3Click()
{
    accept();
}

} // namespace ql
