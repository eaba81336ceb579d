#include "exchange/dataform.h"

#include "core/aboutbox.h"
#include "core/help.h"
#include "core/seams.h"
#include "exchange/textexport.h"
#include "store/error.h"
#include "widgets/builders.h"
#include "widgets/commands.h"
#include "widgets/radiogroup.h"
#include "widgets/workrunner.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace ql {
namespace {

// The two pages' export buttons, each with a letter of its own.
const QString kExportGeneral = QStringLiteral("&Export");
const QString kExportUserDefined = QStringLiteral("Ex&port");

QLineEdit* makeFileBox(QWidget* parent, const char* name, QLabel* label)
{
    auto* edit = makeControl<QLineEdit>(parent, name, QStringLiteral("File Name"),
                                        QStringLiteral("The file the records are written to"));
    label->setBuddy(edit);

    return edit;
}

// Runs one export off the window's thread with the button showing its progress and outcome:
// "Exporting..." while it runs, "Export Complete" after it, "Export" after a refusal, a failure
// or a cancel; the button keeps its Alt letter but while it runs.
void runExport(QWidget* window, QPushButton* button, const QString& caption, Session& session,
               const QString& fileName, exchange::Module module, bool memos)
{
    button->setText(QStringLiteral("Exporting..."));
    if (fileName.isEmpty()) {
        Services::of(window).prompts().message(window, QStringLiteral("Must enter a file name"));
        button->setText(caption);
        return;
    }
    WorkEnd end = WorkEnd::Finished;
    try {
        end = runWork(window, window->windowTitle(), [&](Progress& progress) {
            exchange::exportText(session, module, memos, fileName, progress);
        });
    } catch (const Error&) {
        button->setText(caption);
        throw;
    }
    if (end == WorkEnd::Cancelled) {
        button->setText(caption);
        Services::of(window).prompts().message(
            window, QStringLiteral("Export cancelled; no file was written."));
        return;
    }
    button->setText(caption + QStringLiteral(" Complete"));
}

// Puts the file the user chooses to export to in `box`; a cancel keeps what the box holds.
void chooseFile(QWidget* window, QLineEdit* box)
{
    const QString file = Services::of(window).prompts().saveFileName(
        window, QStringLiteral("QY Save File Dialog"),
        QStringLiteral("Text files (*.txt)|*.txt|All Files (*.*)|*.*"), QStringLiteral(".TXT"));
    if (!file.isEmpty())
        box->setText(file);
}

// A button that chooses the file an export writes into `box`: it shows only its dots and takes
// Alt and `key`, which its tool tip names.
void declareFileButton(QWidget* window, QPushButton* button, Qt::Key key, QLineEdit* box)
{
    declare(window, {.handler = [window, box] { chooseFile(window, box); },
                     .caption = QStringLiteral("Select File"),
                     .hint = QStringLiteral("Select File"),
                     .button = button,
                     .face = Command::Face{QStringLiteral("..."), QKeySequence(Qt::ALT | key)}});
}

} // namespace

DataWindow::DataWindow(const RunContext& context, QWidget* parent)
    : ModuleWindow(parent, context, designs::data)
{
    buildSourceChooser();
    buildPages();
    closeButton = makeButton(this, "BitBtn1");
    aboutButton = makeButton(this, "BitBtn2");
    helpButton = makeButton(this, "BitBtn3");
    layOut(declareCommands());
    connect(moduleChooser, &RadioGroup::clicked, this, [this] { moduleChosen(); });
    connect(pages, &QTabWidget::currentChanged, this, [this] { pageChanged(); });
}

// The module the General page exports and where its records come from.
void DataWindow::buildSourceChooser()
{
    moduleChooser =
        makeRadioGroup(this, "RadioGroup1", QString(),
                       {QStringLiteral("Organizer"), QStringLiteral("Journal"),
                        QStringLiteral("ToDo"), QStringLiteral("CD"), QStringLiteral("CD-R/RW"),
                        QStringLiteral("Tapes"), QStringLiteral("Books")},
                       QStringLiteral("Module"),
                       QStringLiteral("The module whose records the General page exports"));
    moduleChooser->setItemIndex(0);
    ownTables = makeCheckBox(this, "CheckBox1", QStringLiteral("Quillory"),
                             QStringLiteral("Export from Quillory's own tables"));
    ownTables->setChecked(true);
}

// The General page exports the chosen module, the UserDefined page the user-defined records.
void DataWindow::buildPages()
{
    pages = new QTabWidget(this);
    pages->setObjectName(QStringLiteral("PageControl1"));
    pages->setAccessibleName(QStringLiteral("Pages"));
    generalPage = new QWidget;
    generalPage->setObjectName(QStringLiteral("TabSheet2"));
    userDefinedPage = new QWidget;
    userDefinedPage->setObjectName(QStringLiteral("TabSheet3"));
    pages->addTab(generalPage, QStringLiteral("General"));
    pages->addTab(userDefinedPage, QStringLiteral("UserDefined"));

    version = makeRadioGroup(
        generalPage, "RadioGroup2", QStringLiteral("Version"),
        {QStringLiteral("Quillory 2.0/2.1"), QStringLiteral("Quillory 2.1x/3.0")},
        QStringLiteral("Version"), QStringLiteral("Both versions read the same file"));
    version->setItemIndex(0);
    generalFileLabel = makeLabel(generalPage, "Label2", QStringLiteral("&File Name"));
    generalFile = makeFileBox(generalPage, "Edit2", generalFileLabel);
    generalFileButton = makeButton(generalPage, "BitBtn7");
    exportMemos = makeCheckBox(generalPage, "CheckBox3", QStringLiteral("Output &Memo Description"),
                               QStringLiteral("Also export the memo fields"));
    exportButton = makeButton(generalPage, "BitBtn4");

    userDefinedBox = new QGroupBox(QStringLiteral("Quillory"), userDefinedPage);
    userDefinedBox->setObjectName(QStringLiteral("Panel1"));
    userDefinedLabel = makeLabel(userDefinedBox, "Label4", QStringLiteral("User Defined Module"));
    userDefinedFileLabel = makeLabel(userDefinedPage, "Label5", QStringLiteral("File &Name"));
    userDefinedFile = makeFileBox(userDefinedPage, "Edit3", userDefinedFileLabel);
    userDefinedFileButton = makeButton(userDefinedPage, "SpeedButton1");
    exportUserDefinedButton = makeButton(userDefinedPage, "BitBtn8");
}

// Each command declared once with the button that runs it.
QHBoxLayout* DataWindow::declareCommands()
{
    // The file buttons show only their dots; each page's takes a letter of its own.
    declareFileButton(this, generalFileButton, Qt::Key_S, generalFile);
    declare(this, {.handler = [this] { exportModule(); },
                   .caption = kExportGeneral,
                   .hint = QStringLiteral("Export  Data"),
                   .button = exportButton});
    declareFileButton(this, userDefinedFileButton, Qt::Key_L, userDefinedFile);
    declare(this, {.handler = [this] { exportUserDefined(); },
                   .caption = kExportUserDefined,
                   .hint = QStringLiteral("Export Data"),
                   .button = exportUserDefinedButton});
    const auto showAbout = [this] {
        context().aboutBox->showFor(QStringLiteral("Quillory - Data"),
                                    QStringLiteral("Version 1.0"));
    };
    return declareFoot(this, {aboutButton, QStringLiteral("About Data Module"), showAbout},
                       {helpButton, QStringLiteral("Data Module Help"),
                        [this] { help::showMainTopic(context().services->helpViewer(), 11); }},
                       {closeButton, QStringLiteral("Close Data Module"), [this] { accept(); }});
}

// The source beside the pages, the buttons below them; the pages grow with the window.
void DataWindow::layOut(QHBoxLayout* foot)
{
    auto* general = new QGridLayout(generalPage);
    general->addWidget(version, 0, 0, 1, 3);
    general->addWidget(generalFileLabel, 1, 0, 1, 3);
    general->addWidget(generalFile, 2, 0, 1, 2);
    general->addWidget(generalFileButton, 2, 2);
    general->addWidget(exportMemos, 3, 0, 1, 3);
    general->addWidget(exportButton, 4, 0);
    general->setColumnStretch(1, 1);
    general->setRowStretch(5, 1);

    auto* panel = new QVBoxLayout(userDefinedBox);
    panel->addWidget(userDefinedLabel);
    auto* userDefined = new QGridLayout(userDefinedPage);
    userDefined->addWidget(userDefinedBox, 0, 0, 1, 3);
    userDefined->addWidget(userDefinedFileLabel, 1, 0, 1, 3);
    userDefined->addWidget(userDefinedFile, 2, 0, 1, 2);
    userDefined->addWidget(userDefinedFileButton, 2, 2);
    userDefined->addWidget(exportUserDefinedButton, 3, 0);
    userDefined->setColumnStretch(1, 1);
    userDefined->setRowStretch(4, 1);

    auto* source = new QVBoxLayout;
    source->addWidget(moduleChooser);
    source->addWidget(ownTables);
    source->addStretch();
    auto* body = new QHBoxLayout;
    body->addLayout(source);
    body->addWidget(pages, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body, 1);
    layout->addLayout(foot);
}

void DataWindow::exportModule()
{
    if (!ownTables->isChecked())
        return;
    runExport(this, exportButton, kExportGeneral, *context().session, generalFile->text(),
              exchange::Module(moduleChooser->itemIndex()), exportMemos->isChecked());
}

void DataWindow::exportUserDefined()
{
    runExport(this, exportUserDefinedButton, kExportUserDefined, *context().session,
              userDefinedFile->text(), exchange::Module::UserDefined, false);
}

void DataWindow::moduleChosen()
{
    ownTables->setChecked(true);
}

void DataWindow::pageChanged()
{
    const bool general = pages->currentWidget() == generalPage;
    ownTables->setEnabled(general);
    moduleChooser->setEnabled(general);
}

} // namespace ql
