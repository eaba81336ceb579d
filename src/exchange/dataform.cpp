#include "exchange/dataform.h"

#include "core/aboutbox.h"
#include "core/help.h"
#include "core/keys.h"
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
    const exchange::TextExport work(session, module, memos, fileName);
    WorkEnd end = WorkEnd::Finished;
    try {
        end =
            runWork(window, window->windowTitle(), [&](Progress& progress) { work.run(progress); });
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

// A button that chooses the file an export writes: it shows only its dots and takes the Alt key
// `key`, which its tool tip names.
void declareFileButton(QWidget* window, QPushButton* button, const QKeySequence& key,
                       const std::function<void()>& handler)
{
    declare(window, {.handler = handler,
                     .caption = QStringLiteral("Select File"),
                     .hint = QStringLiteral("Select File"),
                     .button = button,
                     .face = Command::Face{QStringLiteral("..."), key}});
}

} // namespace

DataWindow::DataWindow(const RunContext& context, QWidget* parent)
    : ModuleWindow(parent, {QStringLiteral("DataForm"), QStringLiteral("Quillory - Data"),
                            keys::Data, QRect(282, 134, 486, 322)})
    , m_context(context)
{
    m_context.services->serve(this);
    buildSourceChooser();
    buildPages();
    BitBtn1 = makeButton(this, "BitBtn1");
    BitBtn2 = makeButton(this, "BitBtn2");
    BitBtn3 = makeButton(this, "BitBtn3");
    layOut(declareCommands());
    connect(RadioGroup1, &RadioGroup::clicked, this, [this] { RadioGroup1Click(); });
    connect(PageControl1, &QTabWidget::currentChanged, this, [this] { PageControl1Change(); });
}

// The module the General page exports and where its records come from.
void DataWindow::buildSourceChooser()
{
    RadioGroup1 =
        makeRadioGroup(this, "RadioGroup1", QString(),
                       {QStringLiteral("Organizer"), QStringLiteral("Journal"),
                        QStringLiteral("ToDo"), QStringLiteral("CD"), QStringLiteral("CD-R/RW"),
                        QStringLiteral("Tapes"), QStringLiteral("Books")},
                       QStringLiteral("Module"),
                       QStringLiteral("The module whose records the General page exports"));
    RadioGroup1->setItemIndex(0);
    CheckBox1 = makeCheckBox(this, "CheckBox1", QStringLiteral("Quillory"),
                             QStringLiteral("Export from Quillory's own tables"));
    CheckBox1->setChecked(true);
}

// The General page exports the chosen module, the UserDefined page the user-defined records.
void DataWindow::buildPages()
{
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setAccessibleName(QStringLiteral("Pages"));
    TabSheet2 = new QWidget;
    TabSheet2->setObjectName(QStringLiteral("TabSheet2"));
    TabSheet3 = new QWidget;
    TabSheet3->setObjectName(QStringLiteral("TabSheet3"));
    PageControl1->addTab(TabSheet2, QStringLiteral("General"));
    PageControl1->addTab(TabSheet3, QStringLiteral("UserDefined"));

    RadioGroup2 = makeRadioGroup(
        TabSheet2, "RadioGroup2", QStringLiteral("Version"),
        {QStringLiteral("Quillory 2.0/2.1"), QStringLiteral("Quillory 2.1x/3.0")},
        QStringLiteral("Version"), QStringLiteral("Both versions read the same file"));
    RadioGroup2->setItemIndex(0);
    Label2 = makeLabel(TabSheet2, "Label2", QStringLiteral("&File Name"));
    Edit2 = makeFileBox(TabSheet2, "Edit2", Label2);
    BitBtn7 = makeButton(TabSheet2, "BitBtn7");
    CheckBox3 = makeCheckBox(TabSheet2, "CheckBox3", QStringLiteral("Output &Memo Description"),
                             QStringLiteral("Also export the memo fields"));
    BitBtn4 = makeButton(TabSheet2, "BitBtn4");

    Panel1 = new QGroupBox(QStringLiteral("Quillory"), TabSheet3);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Label4 = makeLabel(Panel1, "Label4", QStringLiteral("User Defined Module"));
    Label5 = makeLabel(TabSheet3, "Label5", QStringLiteral("File &Name"));
    Edit3 = makeFileBox(TabSheet3, "Edit3", Label5);
    SpeedButton1 = makeButton(TabSheet3, "SpeedButton1");
    BitBtn8 = makeButton(TabSheet3, "BitBtn8");
}

// Each command declared once with the button that runs it.
QHBoxLayout* DataWindow::declareCommands()
{
    // The file buttons show only their dots; each page's takes a letter of its own.
    declareFileButton(this, BitBtn7, QKeySequence(Qt::ALT | Qt::Key_S), [this] { BitBtn7Click(); });
    declare(this, {.handler = [this] { BitBtn4Click(); },
                   .caption = kExportGeneral,
                   .hint = QStringLiteral("Export  Data"),
                   .button = BitBtn4});
    declareFileButton(this, SpeedButton1, QKeySequence(Qt::ALT | Qt::Key_L),
                      [this] { SpeedButton1Click(); });
    declare(this, {.handler = [this] { BitBtn8Click(); },
                   .caption = kExportUserDefined,
                   .hint = QStringLiteral("Export Data"),
                   .button = BitBtn8});
    const auto showAbout = [this] {
        m_context.aboutBox->showFor(QStringLiteral("Quillory - Data"),
                                    QStringLiteral("Version 1.0"));
    };
    return declareFoot(this, {BitBtn2, QStringLiteral("About Data Module"), showAbout},
                       {BitBtn3, QStringLiteral("Data Module Help"),
                        [this] { help::showMainTopic(m_context.services->helpViewer(), 11); }},
                       {BitBtn1, QStringLiteral("Close Data Module"), [this] { accept(); }});
}

// The source beside the pages, the buttons below them; the pages grow with the window.
void DataWindow::layOut(QHBoxLayout* foot)
{
    auto* general = new QGridLayout(TabSheet2);
    general->addWidget(RadioGroup2, 0, 0, 1, 3);
    general->addWidget(Label2, 1, 0, 1, 3);
    general->addWidget(Edit2, 2, 0, 1, 2);
    general->addWidget(BitBtn7, 2, 2);
    general->addWidget(CheckBox3, 3, 0, 1, 3);
    general->addWidget(BitBtn4, 4, 0);
    general->setColumnStretch(1, 1);
    general->setRowStretch(5, 1);

    auto* panel = new QVBoxLayout(Panel1);
    panel->addWidget(Label4);
    auto* userDefined = new QGridLayout(TabSheet3);
    userDefined->addWidget(Panel1, 0, 0, 1, 3);
    userDefined->addWidget(Label5, 1, 0, 1, 3);
    userDefined->addWidget(Edit3, 2, 0, 1, 2);
    userDefined->addWidget(SpeedButton1, 2, 2);
    userDefined->addWidget(BitBtn8, 3, 0);
    userDefined->setColumnStretch(1, 1);
    userDefined->setRowStretch(4, 1);

    auto* source = new QVBoxLayout;
    source->addWidget(RadioGroup1);
    source->addWidget(CheckBox1);
    source->addStretch();
    auto* body = new QHBoxLayout;
    body->addLayout(source);
    body->addWidget(PageControl1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body, 1);
    layout->addLayout(foot);
}

void DataWindow::BitBtn4Click()
{
    if (!CheckBox1->isChecked())
        return;
    runExport(this, BitBtn4, kExportGeneral, *m_context.session, Edit2->text(),
              exchange::Module(RadioGroup1->itemIndex()), CheckBox3->isChecked());
}

void DataWindow::BitBtn8Click()
{
    runExport(this, BitBtn8, kExportUserDefined, *m_context.session, Edit3->text(),
              exchange::Module::UserDefined, false);
}

void DataWindow::BitBtn7Click()
{
    chooseFile(Edit2);
}

void DataWindow::SpeedButton1Click()
{
    chooseFile(Edit3);
}

void DataWindow::chooseFile(QLineEdit* edit)
{
    const QString file = m_context.services->prompts().saveFileName(
        this, QStringLiteral("QY Save File Dialog"),
        QStringLiteral("Text files (*.txt)|*.txt|All Files (*.*)|*.*"), QStringLiteral(".TXT"));
    if (!file.isEmpty())
        edit->setText(file);
}

void DataWindow::RadioGroup1Click()
{
    CheckBox1->setChecked(true);
}

void DataWindow::PageControl1Change()
{
    const bool general = PageControl1->currentWidget() == TabSheet2;
    CheckBox1->setEnabled(general);
    RadioGroup1->setEnabled(general);
}

} // namespace ql
