#include "options/optionswindow.h"

#include "backup/directorychooser.h"
#include "core/aboutbox.h"
#include "core/context.h"
#include "core/guard.h"
#include "core/help.h"
#include "core/keys.h"
#include "core/seams.h"
#include "core/settings.h"
#include "exchange/import.h"
#include "store/error.h"
#include "syncwindows/accountpage.h"
#include "widgets/builders.h"
#include "widgets/commands.h"
#include "widgets/radiogroup.h"
#include "widgets/workrunner.h"

#include <QCheckBox>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace ql {
namespace {

const QString kYes = QStringLiteral("Yes");

// A label whose lines wrap, and which asks its layout for the height of all of them at its width:
// the pages of a tab widget pass no height for a width up to the window, so a long status would
// otherwise be clipped, and squeeze what stands above it.
class StatusLabel : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void resizeEvent(QResizeEvent* event) override
    {
        QLabel::resizeEvent(event);
        setMinimumHeight(heightForWidth(width()));
    }
};

// A module the import can add, in the import's order: the box that chooses it, with its name,
// caption and tool tip.
struct ModuleBox {
    QCheckBox* OptionsWindow::*box;
    const char* name;
    const char* caption;
    const char* hint;
};

constexpr std::array<ModuleBox, import::moduleCount> kModuleBoxes = {{
    {&OptionsWindow::addressBookBox, "CheckBox4", "Add&ress Book", "Import the address book"},
    {&OptionsWindow::journalBox, "CheckBox5", "&Journal", "Import the journal"},
    {&OptionsWindow::toDoBox, "CheckBox7", "To-Do &List", "Import the to-do list"},
    {&OptionsWindow::cdBox, "CheckBox8", "C&Ds", "Import the CD collection"},
    {&OptionsWindow::cdrBox, "CheckBox9", "CD-R/R&W", "Import the CD-R/RW collection"},
    {&OptionsWindow::tapeBox, "CheckBox10", "Ta&pes", "Import the tape collection"},
    {&OptionsWindow::bookBox, "CheckBox11", "&Books", "Import the book collection"},
    {&OptionsWindow::userDefinedBox, "CheckBox12", "&User Defined",
     "Import the user-defined records (current tables only)"},
}};

} // namespace

OptionsWindow::OptionsWindow(const RunContext& context,
                             std::function<void(bool shown)> placeToolsButton, QWidget* parent)
    : ModuleWindow(parent, context, designs::options)
    , m_placeToolsButton(std::move(placeToolsButton))
{
    setFirstShowing([this] { showPreferences(); });

    pages = new QTabWidget(this);
    pages->setObjectName(QStringLiteral("PageControl1"));
    pages->setAccessibleName(QStringLiteral("Pages"));
    pages->addTab(buildImportPage(), QStringLiteral("&Import"));
    pages->addTab(buildMenuPage(), QStringLiteral("&Main Menu"));
    pages->addTab(syncPage = new SyncAccountPage(this), QStringLiteral("Syncin&g"));
    // Made in the order they stand in, which is the order Tab takes.
    aboutButton = makeButton(this, "BitBtn2");
    helpButton = makeButton(this, "BitBtn3");
    okButton = makeButton(this, "BitBtn1");
    closeButton = makeButton(this, "BitBtn4");
    layOut(declareCommands());
}

QWidget* OptionsWindow::buildImportPage()
{
    auto* page = new QWidget(this);
    page->setObjectName(QStringLiteral("Import"));
    auto* sourceLabel = makeLabel(page, "Label4", QStringLiteral("Source &folder:"));
    sourceField =
        makeControl<QLineEdit>(page, "Edit4", QStringLiteral("Source folder"),
                               QStringLiteral("The folder that holds the tables to import"));
    sourceLabel->setBuddy(sourceField);

    sourceField->installEventFilter(this);
    // Typing a folder is as good as clicking into the field.
    connect(sourceField, &QLineEdit::textEdited, this, [this] { importButton->setEnabled(true); });
    browseButton = makeButton(page, "BitBtn5");

    sourceLayout = makeRadioGroup(page, "RadioGroup1", QStringLiteral("Source la&yout"),
                                  {QStringLiteral("&Earlier version's tables"),
                                   QStringLiteral("Current tables, &10 track titles"),
                                   QStringLiteral("Current tables, &30 track titles")},
                                  QStringLiteral("Source layout"),
                                  QStringLiteral("Which kind of tables the folder holds"));
    sourceLayout->setItemIndex(0);
    QWidget* modules = buildModuleBoxes(page);

    importButton = makeButton(page, "BitBtn6");
    importButton->setEnabled(false);
    detailsButton = makeButton(page, "DetailsButton");
    detailsButton->setEnabled(false);
    importStatus = new StatusLabel(page);
    importStatus->setObjectName(QStringLiteral("Label6"));
    importStatus->setWordWrap(true);
    // Shown from the first import on, so the window opens no taller than its other controls ask.
    importStatus->hide();

    auto* folder = new QHBoxLayout;
    folder->addWidget(sourceLabel);
    folder->addWidget(sourceField, 1);
    folder->addWidget(browseButton);
    auto* start = new QHBoxLayout;
    start->addWidget(importButton);
    start->addWidget(detailsButton);
    start->addStretch();
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(folder);
    layout->addWidget(sourceLayout);
    layout->addWidget(modules);
    layout->addLayout(start);
    // The status takes the page's whole width, below the buttons, and the room left under it.
    layout->addWidget(importStatus, 1, Qt::AlignTop);
    return page;
}

QWidget* OptionsWindow::buildModuleBoxes(QWidget* page)
{
    QFrame* panel = makePanel(page, "Panel1");

    auto* bevel = new QFrame(panel);
    bevel->setObjectName(QStringLiteral("Bevel2"));
    bevel->setFrameShape(QFrame::HLine);
    bevel->setFrameShadow(QFrame::Sunken);
    for (const ModuleBox& box : kModuleBoxes) {
        this->*box.box = makeCheckBox(panel, box.name, QString::fromLatin1(box.caption),
                                      QString::fromLatin1(box.hint));
        (this->*box.box)->setChecked(true);
    }

    auto* grid = new QGridLayout(panel);
    grid->addWidget(makeLabel(panel, "Label5", QStringLiteral("Modules to import")), 0, 0, 1, 2);
    grid->addWidget(bevel, 1, 0, 1, 2);
    const std::array<QCheckBox*, import::moduleCount> boxes = moduleBoxes();
    for (int i = 0; i < import::moduleCount; ++i)
        grid->addWidget(boxes[std::size_t(i)], 2 + i % 4, i / 4);
    return panel;
}

QWidget* OptionsWindow::buildMenuPage()
{
    auto* page = new QWidget(this);
    page->setObjectName(QStringLiteral("TabSheet1"));
    hideToolsBox =
        makeCheckBox(page, "CheckBox1", QStringLiteral("Hide the Quillory &Tools button"),
                     QStringLiteral("Hide the main menu's button that starts Quillory Tools"));
    loanReminderBox = makeCheckBox(
        page, "CheckBox2", QStringLiteral("Remind me of o&verdue loans at start"),
        QStringLiteral("When items are overdue, say so once the main menu shows at start"));
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(hideToolsBox);
    layout->addWidget(loanReminderBox);
    layout->addStretch();
    return page;
}

QHBoxLayout* OptionsWindow::declareCommands()
{
    declareFolderButton(this, browseButton, QStringLiteral("Choose the folder to import from"),
                        QKeySequence(Qt::ALT | Qt::Key_X), [this] { browse(); });
    declareButtons(this,
                   {{importButton, QStringLiteral("Import &Now"),
                     QStringLiteral("Add the records of the ticked modules to your tables"),
                     [this] { importNow(); }},
                    {detailsButton, QStringLiteral("Detail&s..."),
                     QStringLiteral("What the last import added to each module and skipped"),
                     [this] { showImportDetails(); }},
                    {okButton, QStringLiteral("&OK"),
                     QStringLiteral("Save the preference, apply it to the main menu and close"),
                     [this] { savePreferences(); }}});
    return declareFoot(
        this, {aboutButton, QStringLiteral("About the options"), [this] { showAbout(); }},
        {helpButton, QStringLiteral("Help on the options and the import"),
         [this] { help::showMainTopic(context().services->helpViewer(), 8); }},
        {closeButton, QStringLiteral("Close without saving the preference"), [this] { reject(); }},
        {okButton});
}

void OptionsWindow::layOut(QHBoxLayout* foot)
{
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages, 1);
    layout->addLayout(foot);
}

std::array<QCheckBox*, import::moduleCount> OptionsWindow::moduleBoxes() const
{
    std::array<QCheckBox*, import::moduleCount> boxes{};
    for (std::size_t i = 0; i < boxes.size(); ++i)
        boxes[i] = this->*kModuleBoxes[i].box;
    return boxes;
}

bool OptionsWindow::eventFilter(QObject* watched, QEvent* event)
{
    // Clicking into the folder field makes the import possible.
    if (watched == sourceField && event->type() == QEvent::MouseButtonPress)
        importButton->setEnabled(true);
    return ModuleWindow::eventFilter(watched, event);
}

void OptionsWindow::showPreferences()
{
    // A choice that cannot be read counts as "No"; only the exact "Yes" ticks the box.
    for (const auto& [box, name] : {std::pair{hideToolsBox, keys::QYToolBtn},
                                    std::pair{loanReminderBox, keys::LoanReminder}}) {
        QString choice;
        try {
            Settings settings(context().services->settings());
            settings.openKey(keys::Options, true);
            choice = settings.readString(name);
        } catch (const Error&) {
            choice.clear();
        }
        if (choice == kYes)
            box->setChecked(true);
    }
    guarded(this, [this] { syncPage->showAccount(); });
}

void OptionsWindow::savePreferences()
{
    const bool hidden = hideToolsBox->isChecked();
    Settings settings(context().services->settings());
    settings.openKey(keys::Options, true);
    settings.writeString(keys::QYToolBtn, hidden ? kYes : QStringLiteral("No"));
    settings.writeString(keys::LoanReminder,
                         loanReminderBox->isChecked() ? kYes : QStringLiteral("No"));
    syncPage->saveAccount();
    if (m_placeToolsButton)
        m_placeToolsButton(!hidden);
    accept();
}

void OptionsWindow::showAbout()
{
    context().aboutBox->showFor(QStringLiteral("Quillory 2.0 - Options"),
                                QStringLiteral("Version 1.0"));
}

void OptionsWindow::browse()
{
    importButton->setEnabled(true);
    if (const std::optional<QString> chosen = DirectoryChooser::choose(this, sourceField->text()))
        sourceField->setText(*chosen);
}

void OptionsWindow::importNow()
{
    import::Request request;
    request.sourceDirectory = sourceField->text();
    request.layout = sourceLayout->itemIndex();
    const std::array<QCheckBox*, import::moduleCount> boxes = moduleBoxes();
    for (std::size_t i = 0; i < boxes.size(); ++i)
        request.modules[i] = boxes[i]->isChecked();
    // The button is usable again however the import ends, so a stopped import can be retried.
    const Reenable reenable({importButton});
    m_importDetails.clear();
    detailsButton->setEnabled(false);
    const import::Importer importer(*context().session, request);
    import::Outcome outcome;
    const WorkEnd end = runWork(
        this, QStringLiteral("Quillory - Import"),
        [&](Progress& progress) { outcome = importer.run(progress); },
        [this](const QString& text) { showStatus(text); });
    if (end == WorkEnd::Cancelled) {
        showStatus(QStringLiteral("Quillory - Cancelled; nothing was changed"));
        return;
    }
    // A refused folder is a warning; a failure of the table layer is critical.
    if (!outcome.message.isEmpty())
        context().services->prompts().message(
            this, outcome.message, outcome.refused ? MessageKind::Plain : MessageKind::Critical);
    showStatus(outcome.status);
    m_importDetails = outcome.details;
    detailsButton->setEnabled(!m_importDetails.isEmpty());
}

void OptionsWindow::showStatus(const QString& text)
{
    importStatus->setText(text);
    importStatus->show();
    importStatus->setMinimumHeight(importStatus->heightForWidth(importStatus->width()));
}

void OptionsWindow::showImportDetails()
{
    context().services->prompts().message(this, m_importDetails);
}

} // namespace ql
