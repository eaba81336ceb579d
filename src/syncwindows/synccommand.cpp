#include "syncwindows/synccommand.h"

#include "core/guard.h"
#include "core/seams.h"
#include "sync/syncwork.h"
#include "syncwindows/conflictdialog.h"
#include "syncwindows/passwords.h"
#include "widgets/commands.h"
#include "widgets/modulewindow.h"
#include "widgets/workrunner.h"

#include <QBoxLayout>
#include <QMainWindow>
#include <QPointer>
#include <QStatusBar>
#include <QThread>
#include <QtGlobal>
#include <atomic>
#include <memory>

namespace ql {
namespace {

const QString kCaption = QStringLiteral("Quillory - Sync");

// Whether the account names a server and at least one collection to sync.
bool isSetUp(const sync::Account& account)
{
    return !account.server.isEmpty() &&
           !(account.addressBook.isEmpty() && account.tasks.isEmpty() && account.journal.isEmpty());
}

// Stores the record being typed, asks for the password where no secret store keeps it, and
// syncs through the work runner.
void syncNow(QWidget* window, Session& session)
{
    const sync::Account account = sync::loadAccount(Services::of(window).settings());
    if (!isSetUp(account)) {
        Services::of(window).prompts().message(
            window, QStringLiteral("Sync is not set up yet. Give the server's address and choose "
                                   "its collections on the Syncing page of the options window "
                                   "(Options in the main menu)."));
        return;
    }
    if (auto* records = qobject_cast<ModuleWindow*>(window))
        if (!records->storePendingRecords())
            return;
    std::optional<QString> password = readSyncPassword(account);
    if (!password)
        password = askSyncPassword(window, account);
    if (!password)
        return;
    sync::Outcome outcome;
    const WorkEnd end = runWork(window, kCaption, [&](Progress& progress) {
        outcome = sync::run(session, account, *password, progress, askWhichStays(progress));
    });
    showSyncStatus(window, end == WorkEnd::Cancelled ? QStringLiteral("Sync cancelled")
                                                     : outcome.summary());
}

// What a sync reports where no one watches: it asks the user nothing.
class QuietProgress : public Progress {
public:
    void progress(qint64, qint64) override {}
    void status(const QString&) override {}
    bool isCancelled() const override { return m_cancelled.load(); }
    bool confirm(const QString&) override { return false; }
    std::optional<QString> ask(const QString&, const QString&) override { return std::nullopt; }
    void cancel() { m_cancelled.store(true); }

private:
    std::atomic<bool> m_cancelled{false};
};

// A sync on a thread of its own while the main menu stays usable; it goes once it has shown how
// the sync ended. Going earlier, with the menu, it cancels the sync and waits for it.
class BackgroundSync : public QObject {
public:
    BackgroundSync(QWidget* menu, Session& session, const sync::Account& account)
        : QObject(menu)
        , m_menu(menu)
        , m_session(session)
        , m_account(account)
    {
    }
    ~BackgroundSync() override
    {
        m_progress.cancel();
        if (m_thread)
            m_thread->wait();
    }
    Q_DISABLE_COPY_MOVE(BackgroundSync)

    void start(const QString& password)
    {
        m_thread.reset(QThread::create([this, password] {
            try {
                m_outcome = sync::run(m_session, m_account, password, m_progress);
            } catch (const Cancelled&) {
                m_failure.clear();
            } catch (const std::exception& e) {
                m_failure = QString::fromUtf8(e.what());
            }
        }));
        connect(m_thread.get(), &QThread::finished, this, &BackgroundSync::finish);
        m_thread->start();
    }

private:
    void finish()
    {
        followTheWork();
        if (m_failure.isEmpty())
            showSyncStatus(m_menu, QStringLiteral("Synced at start: ") + m_outcome.summary());
        else
            Services::of(m_menu).prompts().message(m_menu, m_failure, MessageKind::Critical);
        deleteLater();
    }

    QWidget* m_menu;
    Session& m_session;
    sync::Account m_account;
    QuietProgress m_progress;
    std::unique_ptr<QThread> m_thread;
    sync::Outcome m_outcome;
    QString m_failure;
};

// A status line made for the sync's texts, read by screen readers as the text it shows.
QStatusBar* makeStatusLine(QWidget* window)
{
    QStatusBar* status = nullptr;
    if (auto* main = qobject_cast<QMainWindow*>(window)) {
        status = main->statusBar();
    } else {
        status = new QStatusBar(window);
        if (auto* layout = qobject_cast<QBoxLayout*>(window->layout()))
            layout->addWidget(status);
    }
    status->setObjectName(QStringLiteral("SyncStatus"));
    status->setSizeGripEnabled(false);
    QObject::connect(status, &QStatusBar::messageChanged, status, [status](const QString& text) {
        status->setAccessibleName(text.isEmpty() ? QStringLiteral("Status line") : text);
    });
    return status;
}

} // namespace

void declareSyncCommand(QWidget* window, Session& session, const SyncPlace& place)
{
    Command command{.handler = [window, &session] { syncNow(window, session); },
                    .caption = QStringLiteral("S&ync with Server"),
                    .hint = QStringLiteral("Bring the address book, the to-do list and the "
                                           "journal in step with the server"),
                    .shortcut = QKeySequence(Qt::Key_F5),
                    .button = place.button};
    if (place.menu)
        command.items.push_back({place.menu, "Sync1", {}, true});
    declare(window, command);
}

void syncAtStart(QWidget* menu, Session& session)
{
    sync::Account account;
    if (!guarded(menu, [&] { account = sync::loadAccount(Services::of(menu).settings()); }) ||
        !account.atStart || !isSetUp(account))
        return;
    auto* run = new BackgroundSync(menu, session, account);
    readSyncPassword(account, run, [run, menu, account](const std::optional<QString>& kept) {
        const std::optional<QString> password = kept ? kept : askSyncPassword(menu, account);
        if (password)
            run->start(*password);
        else
            run->deleteLater();
    });
}

void showSyncStatus(QWidget* window, const QString& text)
{
    // A window's own status line, not one of the windows it holds.
    auto* status = window->findChild<QStatusBar*>(QString(), Qt::FindDirectChildrenOnly);
    if (!status)
        status = makeStatusLine(window);
    status->showMessage(text);
}

} // namespace ql
