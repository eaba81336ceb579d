#include "shell/mainmenu.h"
#include "shell/startup.h"
#include "support/scripted.h"
#include "support/testenv.h"
#include "support/testmain.h"
#include "widgets/dbcontrols.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QSet>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <functional>

using namespace ql;

namespace {

QString str(const char* text)
{
    return QString::fromUtf8(text);
}

// The letter a text underlines for Alt, if any ("&&" is a plain ampersand).
QChar mnemonic(const QString& text)
{
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != QLatin1Char('&'))
            continue;
        if (text[i + 1] != QLatin1Char('&'))
            return text[i + 1].toLower();
        ++i;
    }
    return {};
}

// Every text of the window that takes an Alt key: buttons, labels, group boxes, tabs and the
// menus of its menu bar; a button showing a picture or a sign stands as "&" and its key's letter.
// Controls a window hides for good take none.
QList<QPair<QString, QString>> mnemonicTexts(QWidget* window)
{
    QList<QPair<QString, QString>> texts;
    const auto add = [&](const QObject* owner, const QString& text) {
        texts << qMakePair(owner->objectName(), text);
    };
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        if (widget->window() != window ||
            (widget->isHidden() && !widget->parentWidget()->inherits("QStackedWidget")))
            continue;
        if (auto* button = qobject_cast<QAbstractButton*>(widget))
            add(button, mnemonic(button->text()).isNull()
                            ? button->shortcut().toString().replace(str("Alt+"), str("&"))
                            : button->text());
        else if (auto* label = qobject_cast<QLabel*>(widget))
            add(label, label->text());
        else if (auto* box = qobject_cast<QGroupBox*>(widget))
            add(box, box->title());
        else if (auto* tabs = qobject_cast<QTabBar*>(widget))
            for (int i = 0; i < tabs->count(); ++i)
                add(tabs, tabs->tabText(i));
        else if (auto* bar = qobject_cast<QMenuBar*>(widget))
            for (QAction* menu : bar->actions())
                add(menu, menu->text());
    }
    return texts;
}

// Opens each window from the main menu as a user does and hands it to `check`; only those of the
// records and the calendar when `alsoTheOthers` is false.
void everyWindow(const std::function<void(const QString&, QWidget*)>& check,
                 bool alsoTheOthers = true)
{
    test::ScriptedServices services;
    test::ProgramDirectory dir;
    Program program(dir.path(), dir.session(), services);
    MainMenu* menu = program.mainMenu();
    menu->show();
    check(str("main menu"), menu);
    QList<QPushButton*> buttons = {menu->addressBookButton, menu->journalButton,
                                   menu->collectionsButton, menu->toDoButton,
                                   menu->calendarButton,    menu->optionsButton};
    if (alsoTheOthers)
        buttons << menu->userDefinedButton << menu->backupButton << menu->maintenanceButton
                << menu->exportButton;
    for (QPushButton* button : buttons) {
        bool seen = false;
        QTimer::singleShot(0, [&] {
            auto* window = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            QVERIFY(window);
            seen = true;
            check(button->text().remove(QLatin1Char('&')), window);
            window->reject();
        });
        button->click();
        QVERIFY2(seen, qPrintable(button->text()));
    }
}

// The controls Tab must reach: every one that takes the focus by Tab and is shown; of a group of
// radio buttons the checked one stands for the group.
QList<QWidget*> tabStops(QWidget* window)
{
    QList<QWidget*> stops;
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        auto* radio = qobject_cast<QRadioButton*>(widget);
        if (widget->window() == window && widget->isVisible() && widget->isEnabled() &&
            (widget->focusPolicy() & Qt::TabFocus) && !widget->focusProxy() &&
            !(radio && !radio->isChecked()))
            stops << widget;
    }
    return stops;
}

// The controls the focus visits when `key` is pressed over and over, starting at the first.
QSet<QWidget*> visited(QWidget* window, const QList<QWidget*>& stops, Qt::Key key)
{
    QSet<QWidget*> seen;
    stops.first()->setFocus(Qt::TabFocusReason);
    for (qsizetype i = 0; i <= 2 * stops.size(); ++i) {
        QWidget* focus = QApplication::focusWidget();
        if (!focus || focus->window() != window)
            break;
        seen << focus;
        QTest::keyClick(focus, key, key == Qt::Key_Backtab ? Qt::ShiftModifier : Qt::NoModifier);
    }
    return seen;
}

} // namespace

class EveryWindowTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Alt with a letter reaches one control only in every window.
    void mnemonicsAreUniqueInEveryWindow()
    {
        QStringList clashes;
        everyWindow([&](const QString& name, QWidget* window) {
            QHash<QChar, QString> owners;
            for (const auto& [owner, text] : mnemonicTexts(window)) {
                const QChar key = mnemonic(text);
                if (key.isNull())
                    continue;
                if (owners.contains(key))
                    clashes << str("%1: Alt+%2 is %3 and %4").arg(name, key, owners[key], owner);
                owners.insert(key, owner);
            }
        });
        QVERIFY2(clashes.isEmpty(), qPrintable(clashes.join(QLatin1Char('\n'))));
    }

    // Tab and Shift+Tab each reach every control of every window, lists and memos included.
    void tabReachesEveryControl()
    {
        QStringList missed;
        everyWindow([&](const QString& name, QWidget* window) {
            window->activateWindow();
            QTRY_VERIFY(QApplication::activeWindow() == window);
            const QList<QWidget*> stops = tabStops(window);
            QVERIFY(!stops.isEmpty());
            for (Qt::Key key : {Qt::Key_Tab, Qt::Key_Backtab}) {
                const QSet<QWidget*> seen = visited(window, stops, key);
                for (QWidget* stop : stops)
                    if (!seen.contains(stop))
                        missed << str("%1: %2 by %3")
                                      .arg(name, stop->objectName(),
                                           key == Qt::Key_Tab ? str("Tab") : str("Shift+Tab"));
            }
        });
        QVERIFY2(missed.isEmpty(), qPrintable(missed.join(QLatin1Char('\n'))));
    }

    // New puts the focus where the new record is typed, and Ctrl+Z there, with nothing typed to
    // undo, cancels the record rather than being swallowed by the editor; Ctrl+A there is the
    // window's Print all where the window has one, not the editor's select-all.
    void newFocusesTheRecordAndCtrlZCancelsIt()
    {
        int windows = 0;
        QStringList printingAll;
        everyWindow(
            [&](const QString& name, QWidget* window) {
                auto* newButton = window->findChild<QPushButton*>(str("NewBtn"));
                if (!newButton || newButton->window() != window)
                    return;
                // The collections show a catalogue once one is chosen.
                if (auto* catalogue = window->findChild<QPushButton*>(str("CDBtn")))
                    catalogue->click();
                ++windows;
                window->activateWindow();
                QTRY_VERIFY(QApplication::activeWindow() == window);
                const auto actions = window->actions();
                const auto cancel =
                    std::find_if(actions.begin(), actions.end(), [](QAction* action) {
                        return action->shortcut() == QKeySequence(str("Ctrl+Z"));
                    });
                QVERIFY2(cancel != actions.end(), qPrintable(name));
                QSignalSpy cancelled(*cancel, &QAction::triggered);
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_N, Qt::ControlModifier);
                QWidget* editor = QApplication::focusWidget();
                QVERIFY2(qobject_cast<DBEdit*>(editor) || qobject_cast<DBMemo*>(editor),
                         qPrintable(name));
                QTest::keyClick(editor, Qt::Key_Z, Qt::ControlModifier);
                QVERIFY2(cancelled.count() == 1, qPrintable(name));
                const auto printAll =
                    std::find_if(actions.begin(), actions.end(), [](QAction* action) {
                        return action->shortcut() == QKeySequence(str("Ctrl+A"));
                    });
                if (printAll == actions.end())
                    return;
                QSignalSpy printed(*printAll, &QAction::triggered);
                QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
                if (printed.count() == 1)
                    printingAll << str("%1: %2").arg(name, (*printAll)->text());
            },
            // The user-defined window of a fresh installation names no field, so it has
            // no editor to type a new record into.
            false);
        QCOMPARE(windows, 4);
        QCOMPARE(printingAll, QStringList({"Journal: Print &All", "Collections: Print &All"}));
    }

    // A screen reader hears what a sighted user reads: every shown label and the status line say
    // their text in their accessible name or value (the month shown, not just "Month"), and the
    // status line shows the hint of the control under the mouse, inner parts of lists included.
    void screenReadersReadWhatIsShown()
    {
        QStringList unread;
        everyWindow([&](const QString& name, QWidget* window) {
            if (auto* status = window->findChild<QStatusBar*>()) {
                auto* grid = window->findChild<DBGrid*>();
                QEvent enter(QEvent::Enter);
                QApplication::sendEvent(grid->viewport(), &enter);
                QCOMPARE(status->currentMessage(), grid->toolTip());
            }
            for (QWidget* widget : window->findChildren<QWidget*>()) {
                QString shown;
                if (auto* label = qobject_cast<QLabel*>(widget))
                    shown = label->text().remove(QLatin1Char('&'));
                else if (auto* status = qobject_cast<QStatusBar*>(widget))
                    shown = status->currentMessage();
                if (shown.trimmed().isEmpty() || !widget->isVisible() || shown.contains(u'<'))
                    continue;
                QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
                const QString heard = face->text(QAccessible::Name) + QLatin1Char(' ') +
                                      face->text(QAccessible::Value);
                if (!heard.contains(shown))
                    unread << str(R"(%1: %2 shows "%3" and is read "%4")")
                                  .arg(name, widget->objectName(), shown, heard);
            }
        });
        QVERIFY2(unread.isEmpty(), qPrintable(unread.join(QLatin1Char('\n'))));
    }

    // With a font half again as large (144 dpi) every window opens, and can be made, small
    // enough for a 1024×768 screen with room for its frame: tall pages scroll.
    void everyWindowFitsASmallScreenInLargeLetters()
    {
        const QFont normal = QApplication::font();
        QFont large = normal;
        large.setPointSizeF(normal.pointSizeF() * 1.5);
        QApplication::setFont(large);
        const auto restore = qScopeGuard([&] { QApplication::setFont(normal); });
        const QSize room(1024 - 16, 768 - 48);
        QStringList tooLarge;
        everyWindow([&](const QString& name, QWidget* window) {
            for (const QSize size :
                 {window->minimumSizeHint(), window->minimumSize(), window->size()}) {
                if (size.width() > room.width() || size.height() > room.height())
                    tooLarge << str("%1: %2×%3").arg(name).arg(size.width()).arg(size.height());
            }
        });
        QVERIFY2(tooLarge.isEmpty(), qPrintable(tooLarge.join(QLatin1Char('\n'))));
    }

    // Each window opens the first time under the name the settings and the tests know it by, with
    // its caption and its frame at its designed place (the journal's, 2 px left of the screen,
    // brought onto it).
    void everyWindowOpensUnderItsNameAndCaptionAtItsPlace()
    {
        const QHash<QString, QStringList> expected{
            {str("Address Book"), {str("PDAForm"), str("Quillory - Address Book"), str("120 80")}},
            {str("Journal"), {str("JournalForm"), str("Quillory -  Journal"), str("0 0")}},
            {str("Collections"),
             {str("CollectionsForm"), str("Quillory - Collections"), str("231 86")}},
            {str("To-Do List"), {str("ToDoForm"), str("Quillory - To-Do List"), str("170 120")}},
            {str("Calendar"), {str("CalendarForm"), str("Quillory - Calendar"), str("298 280")}},
            {str("Options"), {str("OptionsForm"), str("Quillory - Options"), str("240 120")}},
            {str("User Defined"),
             {str("UserDefinedForm"), str("Quillory - User Defined"), str("200 60")}},
            {str("Backup"), {str("BackupForm"), str("Quillory - Backup"), str("287 343")}},
            {str("Maintenance"),
             {str("WrenxForm"), str("Quillory - Wrenx Maintenance Tools"), str("190 90")}},
            {str("Export"), {str("DataForm"), str("Quillory - Data"), str("282 134")}},
        };
        QStringList seen;
        everyWindow([&](const QString& name, QWidget* window) {
            if (name == str("main menu"))
                return;
            const QPoint place = window->frameGeometry().topLeft();
            seen << name;
            QCOMPARE(QStringList({window->objectName(), window->windowTitle(),
                                  str("%1 %2").arg(place.x()).arg(place.y())}),
                     expected.value(name));
        });
        seen.sort();
        QStringList all = expected.keys();
        all.sort();
        QCOMPARE(seen, all);
    }

    // A command that the window gives no key of its own has the same key in every window.
    void aCommandHasTheSameKeyInEveryWindow()
    {
        const QHash<QString, QKeySequence> standard{
            {str("New"), QKeySequence(str("Ctrl+N"))},
            {str("Insert"), QKeySequence(str("Ctrl+I"))},
            {str("Cancel"), QKeySequence(str("Ctrl+Z"))},
            {str("Delete"), QKeySequence(str("Ctrl+Del"))},
            {str("Search"), QKeySequence(str("Ctrl+F"))},
            {str("Filter"), QKeySequence(str("Ctrl+L"))},
            {str("Unfilter"), QKeySequence(str("Ctrl+Shift+L"))},
        };
        QStringList wrong;
        everyWindow([&](const QString& name, QWidget* window) {
            const auto keys = window->actions();
            const bool hasHelp = std::any_of(keys.begin(), keys.end(), [](QAction* action) {
                return action->shortcut() == QKeySequence(Qt::Key_F1);
            });
            if (!hasHelp && name != str("main menu"))
                wrong << name + str(": no F1");
            for (auto* button : window->findChildren<QPushButton*>()) {
                const QString caption = button->text().remove(QLatin1Char('&'));
                const auto key = standard.constFind(caption);
                if (key == standard.constEnd() || button->window() != window)
                    continue;
                const bool has = std::any_of(keys.begin(), keys.end(), [&](QAction* action) {
                    return action->shortcut() == *key;
                });
                if (!has)
                    wrong << str("%1: %2 has not %3").arg(name, caption, key->toString());
            }
        });
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QLatin1Char('\n'))));
    }
};

QL_TEST_CLASS(EveryWindowTest)
#include "tst_everywindow.moc"
