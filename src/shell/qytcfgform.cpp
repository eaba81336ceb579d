#include "shell/qytcfgform.h"

#include "core/keys.h"
#include "core/seams.h"
#include "core/settings.h"
#include "widgets/commands.h"

#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace ql {

TQYTCfgForm::TQYTCfgForm(QWidget* parent)
    : ModuleWindow(parent, keys::QYTools, QRect(256, 252, 687, 146))
{
    setObjectName(QStringLiteral("QYTCfgForm"));
    setWindowTitle(QStringLiteral("Quillory - QY Tools Configuration dialog"));

    Label1 = new QLabel(QStringLiteral("Enter path to Quillory Tools executable"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont bold = Label1->font();
    bold.setBold(true);
    Label1->setFont(bold);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setAccessibleName(QStringLiteral("Path to Quillory Tools executable"));
    Edit1->setToolTip(QStringLiteral("The full path of the Quillory Tools program"));
    Label1->setBuddy(Edit1);
    Button1 = makeButton(this, "Button1");
    Button2 = makeButton(this, "Button2");
    Button3 = makeButton(this, "Button3");
    declare(this, {.handler = [this] { Button1Click(); },
                   .caption = QStringLiteral("&Select"),
                   .hint = QStringLiteral("Choose the Quillory Tools program"),
                   .button = Button1});
    declare(this, {.handler = [this] { Button2Click(); },
                   .caption = QStringLiteral("OK"),
                   .hint = QStringLiteral("Keep this path and start Quillory Tools"),
                   .button = Button2});
    Button2->setDefault(true);
    declare(this, {.handler = [this] { Button3Click(); },
                   .caption = QStringLiteral("Cancel"),
                   .hint = QStringLiteral("Close without keeping a path"),
                   .button = Button3});

    auto* path = new QHBoxLayout;
    path->addWidget(Edit1, 1);
    path->addWidget(Button1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button2);
    buttons->addWidget(Button3);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addLayout(path);
    layout->addStretch();
    layout->addLayout(buttons);
}

void TQYTCfgForm::Button1Click()
{
    const QString program = services::prompts().openProgramName(
        this, QStringLiteral("Open"), QStringLiteral("QY Tools Program File"));
    if (!program.isEmpty())
        Edit1->setText(QDir::toNativeSeparators(program));
}

void TQYTCfgForm::Button2Click()
{
    if (Edit1->text().isEmpty()) {
        services::prompts().message(this,
                                    QStringLiteral("You must specify the location of QY Tools"));
        return;
    }
    Settings settings;
    settings.openKey(keys::QYTools, true);
    settings.writeString(keys::Location, Edit1->text());
    accept();
}

void TQYTCfgForm::Button3Click()
{
    reject();
}

} // namespace ql
