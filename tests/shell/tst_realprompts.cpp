#include "core/guard.h"
#include "shell/realservices.h"
#include "store/error.h"
#include "support/scripted.h"
#include "support/testmain.h"

#include <QApplication>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

using namespace ql;

namespace {

QString str(const char* text)
{
    return QString::fromUtf8(text);
}

// Runs `ask` with the real dialogs, over a window that uses them; `look` sees the dialog it opens,
// which is then closed with Enter.
template <typename Dialog>
void withRealDialog(const std::function<void(const Services&, QWidget*)>& ask,
                    const std::function<void(Dialog*)>& look)
{
    const RealServices real;
    QWidget window;
    real.services().serve(&window);
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        seen = dialog;
        if (dialog)
            look(dialog);
        QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Return);
    });
    ask(real.services(), &window);
    QVERIFY(seen);
}

} // namespace

class RealPromptsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Every request for help, from any window, shows in the one help window of the run; it goes
    // with the services.
    void oneHelpWindowServesTheRun()
    {
        const auto helpWindows = [] {
            int count = 0;
            for (const QWidget* shown : QApplication::topLevelWidgets())
                count += shown->inherits("ql::HelpWindow") ? 1 : 0;
            return count;
        };
        {
            const RealServices real;
            QCOMPARE(helpWindows(), 0);
            real.services().helpViewer().showTopic(str("qlhelp.hlp"), 1);
            real.services().helpViewer().showContents(str("QYTools.hlp"));
            QCOMPARE(helpWindows(), 1);
        }
        QCOMPARE(helpWindows(), 0);
    }

    // Every delete asks the one question: Enter answers No, so nothing is deleted by accident.
    void theQuestionAnswersNoOnEnter()
    {
        bool answer = true;
        withRealDialog<QMessageBox>(
            [&](const Services& real, QWidget*) {
                answer = real.prompts().confirm(nullptr, str("Delete?"));
            },
            [](QMessageBox* box) { QCOMPARE(box->icon(), QMessageBox::Information); });
        QVERIFY(!answer);
    }

    // A message shows the icon of its kind, a plain one none; a failed command is an error.
    void aMessageShowsTheIconOfItsKind()
    {
        const QList<QPair<MessageKind, QMessageBox::Icon>> kinds = {
            {MessageKind::Plain, QMessageBox::NoIcon},
            {MessageKind::Warning, QMessageBox::Warning},
            {MessageKind::Critical, QMessageBox::Critical}};
        for (const auto& [kind, icon] : kinds) {
            QMessageBox::Icon shown = QMessageBox::NoIcon;
            withRealDialog<QMessageBox>(
                [kind](const Services& real, QWidget*) {
                    real.prompts().message(nullptr, str("Note"), kind);
                },
                [&](QMessageBox* box) { shown = box->icon(); });
            QCOMPARE(shown, icon);
        }
        QString failure;
        withRealDialog<QMessageBox>(
            [](const Services&, QWidget* window) {
                guarded(window, [] { throw Error(str("tbNames: disk full")); });
            },
            [&](QMessageBox* box) {
                if (box->icon() == QMessageBox::Critical)
                    failure = box->text();
            });
        QCOMPARE(failure, str("tbNames: disk full"));
    }

    // The input box shows its whole caption and its whole prompt.
    void theInputBoxIsWideEnoughForItsCaptionAndPrompt()
    {
        const QString caption = str("Search for Borrowed Books Due date");
        const QString prompt = str("Enter Date (ex. 5/25/97): ");
        int width = 0;
        int captionWidth = 0;
        bool promptWhole = false;
        withRealDialog<QInputDialog>(
            [&](const Services& real, QWidget*) {
                real.prompts().inputBox(nullptr, caption, prompt);
            },
            [&](QInputDialog* dialog) {
                QFont bold = dialog->font();
                bold.setBold(true);
                width = dialog->width();
                captionWidth = QFontMetrics(bold).horizontalAdvance(caption);
                auto* label = dialog->findChild<QLabel*>();
                promptWhole =
                    label->text() == prompt && label->width() >= label->sizeHint().width();
            });
        QVERIFY2(width > captionWidth, qPrintable(str("%1 for %2").arg(width).arg(captionWidth)));
        QVERIFY(promptWhole);
    }
};

QL_TEST_CLASS(RealPromptsTest)
#include "tst_realprompts.moc"
