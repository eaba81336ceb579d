#include "options/optionsform.h"

#include "backup/selectdirform.h"
#include "core/aboutbox.h"
#include "core/directorychoice.h"
#include "core/guard.h"
#include "core/help.h"
#include "core/keys.h"
#include "core/opener.h"
#include "core/seams.h"
#include "core/settings.h"
#include "exchange/import.h"
#include "store/error.h"
#include "widgets/commands.h"
#include "widgets/radiogroup.h"
#include "widgets/workrunner.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QStyle>
#include <QTabWidget>
#include <QVBoxLayout>

namespace ql {
namespace {

const QString kYes = QStringLiteral("Yes");

QCheckBox* makeCheckBox(QWidget* parent, const char* name, const QString& caption,
                        const QString& hint)
{
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setAccessibleName(QString(caption).remove(QLatin1Char('&')));
    box->setToolTip(hint);
    return box;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

} // namespace

TOptionsForm::TOptionsForm(QWidget* parent, std::function<void(bool shown)> placeToolsButton)
    : ModuleWindow(parent, keys::Options, QRect(240, 120, 540, 460))
    , m_placeToolsButton(std::move(placeToolsButton))
{
    setObjectName(QStringLiteral("OptionsForm"));
    setWindowTitle(QStringLiteral("Quillory - Options"));
    setSizeGripEnabled(true);

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setAccessibleName(QStringLiteral("Pages"));
    Import = new QWidget(PageControl1);
    Import->setObjectName(QStringLiteral("Import"));
    TabSheet1 = new QWidget(PageControl1);
    TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
    PageControl1->addTab(Import, QStringLiteral("&Import"));
    PageControl1->addTab(TabSheet1, QStringLiteral("&Main Menu"));

    Label4 = makeLabel(Import, "Label4", QStringLiteral("Source &folder:"));
    Edit4 = new QLineEdit(Import);
    Edit4->setObjectName(QStringLiteral("Edit4"));
    Edit4->setAccessibleName(QStringLiteral("Source folder"));
    Edit4->setToolTip(QStringLiteral("The folder that holds the tables to import"));
    Label4->setBuddy(Edit4);
    Edit4->installEventFilter(this);
    BitBtn5 = makeButton(Import, "BitBtn5");

    RadioGroup1 = new RadioGroup(QStringLiteral("Source la&yout"),
                                 {QStringLiteral("&Earlier version's tables"),
                                  QStringLiteral("Current tables, &10 track titles"),
                                  QStringLiteral("Current tables, &30 track titles")},
                                 Import);
    RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
    RadioGroup1->setAccessibleName(QStringLiteral("Source layout"));
    RadioGroup1->setToolTip(QStringLiteral("Which kind of tables the folder holds"));
    RadioGroup1->setItemIndex(0);

    Panel1 = new QFrame(Import);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameShape(QFrame::StyledPanel);
    Label5 = makeLabel(Panel1, "Label5", QStringLiteral("Modules to import"));
    Bevel2 = new QFrame(Panel1);
    Bevel2->setObjectName(QStringLiteral("Bevel2"));
    Bevel2->setFrameShape(QFrame::HLine);
    Bevel2->setFrameShadow(QFrame::Sunken);
    CheckBox4 = makeCheckBox(Panel1, "CheckBox4", QStringLiteral("Add&ress Book"),
                             QStringLiteral("Import the address book"));
    CheckBox5 = makeCheckBox(Panel1, "CheckBox5", QStringLiteral("&Journal"),
                             QStringLiteral("Import the journal"));
    CheckBox7 = makeCheckBox(Panel1, "CheckBox7", QStringLiteral("To-Do &List"),
                             QStringLiteral("Import the to-do list"));
    CheckBox8 = makeCheckBox(Panel1, "CheckBox8", QStringLiteral("C&Ds"),
                             QStringLiteral("Import the CD collection"));
    CheckBox9 = makeCheckBox(Panel1, "CheckBox9", QStringLiteral("CD-R/R&W"),
                             QStringLiteral("Import the CD-R/RW collection"));
    CheckBox10 = makeCheckBox(Panel1, "CheckBox10", QStringLiteral("Ta&pes"),
                              QStringLiteral("Import the tape collection"));
    CheckBox11 = makeCheckBox(Panel1, "CheckBox11", QStringLiteral("&Books"),
                              QStringLiteral("Import the book collection"));
    CheckBox12 =
        makeCheckBox(Panel1, "CheckBox12", QStringLiteral("&User Defined"),
                     QStringLiteral("Import the user-defined records (current tables only)"));
    for (QCheckBox* box : moduleBoxes())
        box->setChecked(true);

    BitBtn6 = makeButton(Import, "BitBtn6");
    BitBtn6->setEnabled(false);
    Label6 = makeLabel(Import, "Label6", QStringLiteral("Choose the folder to import from."));
    Label6->setWordWrap(true);

    CheckBox1 =
        makeCheckBox(TabSheet1, "CheckBox1", QStringLiteral("Hide the Quillory &Tools button"),
                     QStringLiteral("Hide the main menu's button that starts Quillory Tools"));
    CheckBox2 = makeCheckBox(
        TabSheet1, "CheckBox2", QStringLiteral("Remind me of o&verdue loans at start"),
        QStringLiteral("When items are overdue, say so once the main menu shows at start"));

    BitBtn2 = makeButton(this, "BitBtn2");
    BitBtn3 = makeButton(this, "BitBtn3");
    BitBtn1 = makeButton(this, "BitBtn1");
    BitBtn4 = makeButton(this, "BitBtn4");

    declare(this, {.handler = [this] { BitBtn5Click(); },
                   .caption = QStringLiteral("Browse"),
                   .hint = QStringLiteral("Choose the folder to import from"),
                   .button = BitBtn5});
    declare(this, {.handler = [this] { BitBtn6Click(); },
                   .caption = QStringLiteral("Import &Now"),
                   .hint = QStringLiteral("Add the records of the ticked modules to your tables"),
                   .button = BitBtn6});
    declare(this,
            {.handler = [this] { BitBtn1Click(); },
             .caption = QStringLiteral("&OK"),
             .hint = QStringLiteral("Save the preference, apply it to the main menu and close"),
             .button = BitBtn1});
    declare(this, {.handler = [this] { BitBtn2Click(); },
                   .caption = QStringLiteral("&About"),
                   .hint = QStringLiteral("About the options"),
                   .button = BitBtn2});
    declare(this, {.handler = [this] { BitBtn3Click(); },
                   .caption = QStringLiteral("&Help"),
                   .hint = QStringLiteral("Help on the options and the import"),
                   .shortcut = QKeySequence(Qt::Key_F1),
                   .button = BitBtn3});
    declare(this, {.handler = [this] { BitBtn4Click(); },
                   .caption = QStringLiteral("&Close"),
                   .hint = QStringLiteral("Close without saving the preference"),
                   .button = BitBtn4});
    // The browse button shows its picture alone.
    BitBtn5->setText(QString());
    BitBtn5->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));

    // Typing a folder is as good as clicking into the field.
    connect(Edit4, &QLineEdit::textEdited, this, [this] { BitBtn6->setEnabled(true); });
    // While this window shows, the directory chooser writes into the source folder.
    directorychoice::optionsPath = Edit4;

    auto* folder = new QHBoxLayout;
    folder->addWidget(Label4);
    folder->addWidget(Edit4, 1);
    folder->addWidget(BitBtn5);
    auto* modules = new QGridLayout(Panel1);
    modules->addWidget(Label5, 0, 0, 1, 2);
    modules->addWidget(Bevel2, 1, 0, 1, 2);
    const std::array<QCheckBox*, import::moduleCount> boxes = moduleBoxes();
    for (int i = 0; i < import::moduleCount; ++i)
        modules->addWidget(boxes[std::size_t(i)], 2 + i % 4, i / 4);
    auto* start = new QHBoxLayout;
    start->addWidget(BitBtn6);
    start->addWidget(Label6, 1);
    auto* importPage = new QVBoxLayout(Import);
    importPage->addLayout(folder);
    importPage->addWidget(RadioGroup1);
    importPage->addWidget(Panel1);
    importPage->addLayout(start);
    importPage->addStretch();
    auto* menuPage = new QVBoxLayout(TabSheet1);
    menuPage->addWidget(CheckBox1);
    menuPage->addWidget(CheckBox2);
    menuPage->addStretch();

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BitBtn2);
    buttons->addWidget(BitBtn3);
    buttons->addStretch();
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn4);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl1, 1);
    layout->addLayout(buttons);
}

std::array<QCheckBox*, import::moduleCount> TOptionsForm::moduleBoxes() const
{
    return {CheckBox4, CheckBox5,  CheckBox7,  CheckBox8,
            CheckBox9, CheckBox10, CheckBox11, CheckBox12};
}

void TOptionsForm::showEvent(QShowEvent* event)
{
    ModuleWindow::showEvent(event);
    if (!event->spontaneous() && !m_shown) {
        m_shown = true;
        FormShow();
    }
}

bool TOptionsForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Edit4 && event->type() == QEvent::MouseButtonPress)
        Edit4Click();
    return ModuleWindow::eventFilter(watched, event);
}

void TOptionsForm::FormShow()
{
    // A choice that cannot be read counts as "No"; only the exact "Yes" ticks the box.
    for (const auto& [box, name] :
         {std::pair{CheckBox1, keys::QYToolBtn}, std::pair{CheckBox2, keys::LoanReminder}}) {
        QString choice;
        try {
            Settings settings;
            settings.openKey(keys::Options, true);
            choice = settings.readString(name);
        } catch (const Error&) {
            choice.clear();
        }
        if (choice == kYes)
            box->setChecked(true);
    }
}

void TOptionsForm::BitBtn1Click()
{
    const bool hidden = CheckBox1->isChecked();
    Settings settings;
    settings.openKey(keys::Options, true);
    settings.writeString(keys::QYToolBtn, hidden ? kYes : QStringLiteral("No"));
    settings.writeString(keys::LoanReminder, CheckBox2->isChecked() ? kYes : QStringLiteral("No"));
    if (m_placeToolsButton)
        m_placeToolsButton(!hidden);
    accept();
}

void TOptionsForm::BitBtn2Click()
{
    AboutBox->showFor(QStringLiteral("Quillory 2.0 - Options"), QStringLiteral("Version 1.0"));
}

void TOptionsForm::BitBtn3Click()
{
    help::showMainTopic(8);
}

void TOptionsForm::BitBtn4Click()
{
    reject();
}

void TOptionsForm::Edit4Click()
{
    BitBtn6->setEnabled(true);
}

void TOptionsForm::BitBtn5Click()
{
    BitBtn6->setEnabled(true);
    openWindow(this, SelectDirForm);
}

void TOptionsForm::BitBtn6Click()
{
    import::Request request;
    request.sourceDirectory = Edit4->text();
    request.layout = RadioGroup1->itemIndex();
    const std::array<QCheckBox*, import::moduleCount> boxes = moduleBoxes();
    for (std::size_t i = 0; i < boxes.size(); ++i)
        request.modules[i] = boxes[i]->isChecked();
    // The button is usable again however the import ends, so a stopped import can be retried.
    const Reenable reenable({BitBtn6});
    const import::Importer importer(request);
    import::Outcome outcome;
    const WorkEnd end = runWork(
        this, QStringLiteral("Quillory - Import"),
        [&](Progress& progress) { outcome = importer.run(progress); },
        [this](const QString& text) { Label6->setText(text); });
    if (end == WorkEnd::Cancelled) {
        Label6->setText(QStringLiteral("Quillory - Cancelled; nothing was changed"));
        return;
    }
    // A refused folder is a warning; a failure of the table layer is critical.
    if (!outcome.message.isEmpty())
        services::prompts().message(this, outcome.message,
                                    outcome.refused ? MessageKind::Plain : MessageKind::Critical);
    Label6->setText(outcome.status);
}

} // namespace ql
