#include "syncwindows/conflictdialog.h"
#include "widgets/builders.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

namespace ql {
namespace {

QPlainTextEdit* makeVersion(QWidget* parent, const char* name, const QString& text)
{
    auto* version = new QPlainTextEdit(text, parent);
    version->setObjectName(QString::fromLatin1(name));
    version->setReadOnly(true);
    version->setTabChangesFocus(true);
    return version;
}

QLabel* makeBuddy(QWidget* parent, const QString& text, QWidget* buddy)
{
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    buddy->setAccessibleName(QString(text).remove(QLatin1Char('&')).remove(QLatin1Char(':')));
    return label;
}

QPushButton* makeChoice(QWidget* parent, const char* name, const QString& caption,
                        const QString& hint)
{
    auto* button =
        makeControl<QPushButton>(parent, name, QString(caption).remove(QLatin1Char('&')), hint);
    button->setText(caption);
    button->setAutoDefault(false);
    return button;
}

} // namespace

ConflictDialog::ConflictDialog(const sync::Conflict& conflict, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("ConflictDialog"));
    setWindowTitle(QStringLiteral("Quillory - Sync Conflict"));
    auto* question = new QLabel(
        QStringLiteral("This %1 record was changed both on this computer and on the server since "
                       "the last sync. Which version stays?")
            .arg(conflict.module),
        this);
    question->setWordWrap(true);
    thisComputerText = makeVersion(this, "ThisComputerText", conflict.thisComputer);
    serverText = makeVersion(this, "ServerText", conflict.server);
    keepThisButton = makeChoice(this, "KeepThisButton", QStringLiteral("Keep &This Computer's"),
                                QStringLiteral("Put this computer's version on the server too"));
    keepServerButton = makeChoice(this, "KeepServerButton", QStringLiteral("Keep the &Server's"),
                                  QStringLiteral("Take the server's version on this computer"));
    keepBothButton = makeChoice(this, "KeepBothButton", QStringLiteral("Keep &Both"),
                                QStringLiteral("Keep both versions as two records, here and on "
                                               "the server"));
    connect(keepThisButton, &QPushButton::clicked, this,
            [this] { keep(sync::Keep::ThisComputer); });
    connect(keepServerButton, &QPushButton::clicked, this, [this] { keep(sync::Keep::Server); });
    connect(keepBothButton, &QPushButton::clicked, this, [this] { keep(sync::Keep::Both); });

    auto* versions = new QGridLayout;
    versions->addWidget(
        makeBuddy(this, QStringLiteral("This &computer's version:"), thisComputerText), 0, 0);
    versions->addWidget(makeBuddy(this, QStringLiteral("The se&rver's version:"), serverText), 0,
                        1);
    versions->addWidget(thisComputerText, 1, 0);
    versions->addWidget(serverText, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* button : {keepThisButton, keepServerButton, keepBothButton})
        buttons->addWidget(button);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(question);
    layout->addLayout(versions, 1);
    layout->addLayout(buttons);
}

void ConflictDialog::keep(sync::Keep choice)
{
    m_choice = choice;
    accept();
}

sync::ConflictChooser askWhichStays(Progress& progress)
{
    return [&progress](const sync::Conflict& conflict) {
        sync::Keep choice = sync::Keep::Both;
        progress.askUser([&] {
            ConflictDialog dialog(conflict, QApplication::activeModalWidget());
            dialog.exec();
            choice = dialog.choice();
        });
        return choice;
    };
}

} // namespace ql
