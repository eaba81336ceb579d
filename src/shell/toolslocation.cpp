#include "shell/toolslocation.h"

#include "core/keys.h"
#include "core/seams.h"
#include "core/settings.h"
#include "widgets/builders.h"
#include "widgets/commands.h"

#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace ql {

ToolsLocationDialog::ToolsLocationDialog(QWidget* parent)
    : ModuleWindow(parent, designs::toolsLocation)
{

    auto* label =
        makeLabel(this, "Label1", QStringLiteral("Enter path to Quillory Tools executable"));
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    pathField =
        makeControl<QLineEdit>(this, "Edit1", QStringLiteral("Path to Quillory Tools executable"),
                               QStringLiteral("The full path of the Quillory Tools program"));
    label->setBuddy(pathField);

    selectButton = makeButton(this, "Button1");
    okButton = makeButton(this, "Button2");
    cancelButton = makeButton(this, "Button3");
    declare(this, {.handler = [this] { chooseProgram(); },
                   .caption = QStringLiteral("&Select"),
                   .hint = QStringLiteral("Choose the Quillory Tools program"),
                   .button = selectButton});
    declareOkCancel(this, {okButton, [this] { keepLocation(); },
                           QStringLiteral("Keep this path and start Quillory Tools"), cancelButton,
                           QStringLiteral("Close without keeping a path")});

    auto* path = new QHBoxLayout;
    path->addWidget(pathField, 1);
    path->addWidget(selectButton);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addLayout(path);
    layout->addStretch();
    layout->addLayout(buttons);
}

void ToolsLocationDialog::chooseProgram()
{
    const QString program = Services::of(this).prompts().openProgramName(
        this, QStringLiteral("Open"), QStringLiteral("QY Tools Program File"));
    if (!program.isEmpty())
        pathField->setText(QDir::toNativeSeparators(program));
}

void ToolsLocationDialog::keepLocation()
{
    if (pathField->text().isEmpty()) {
        Services::of(this).prompts().message(
            this, QStringLiteral("You must specify the location of QY Tools"));
        return;
    }
    Settings settings(Services::of(this).settings());
    settings.openKey(keys::QYTools, true);
    settings.writeString(keys::Location, pathField->text());
    accept();
}

} // namespace ql
