#include "widgets/workrunner.h"

#include "core/seams.h"
#include "store/table.h"
#include "widgets/dbcontrols.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QEventLoop>
#include <QLabel>
#include <QLocale>
#include <QMutex>
#include <QProgressBar>
#include <QPushButton>
#include <QSet>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <atomic>
#include <exception>
#include <limits>
#include <memory>

namespace ql {
namespace {

// What the work reports, kept for the window's thread to show at its own pace, and the questions
// the work asks, put to the user on the window's thread.
class SharedProgress : public Progress {
public:
    explicit SharedProgress(QObject* guiContext)
        : m_context(guiContext)
    {
    }
    // The window the questions stand over.
    void setQuestionParent(QWidget* parent) { m_parent = parent; }

    void progress(qint64 done, qint64 total) override
    {
        m_done.store(done, std::memory_order_relaxed);
        m_total.store(total, std::memory_order_relaxed);
    }
    void status(const QString& text) override
    {
        const QMutexLocker lock(&m_mutex);
        m_status = text;
        m_statusChanged = true;
    }
    bool isCancelled() const override { return m_cancelled.load(); }
    bool confirm(const QString& question) override
    {
        bool yes = false;
        askUser([&] { yes = Services::of(m_parent).prompts().confirm(m_parent, question); });
        return yes;
    }
    std::optional<QString> ask(const QString& caption, const QString& prompt) override
    {
        std::optional<QString> answer;
        askUser(
            [&] { answer = Services::of(m_parent).prompts().inputBox(m_parent, caption, prompt); });
        return answer;
    }
    void askUser(const std::function<void()>& question) override
    {
        QMetaObject::invokeMethod(m_context, question, Qt::BlockingQueuedConnection);
    }

    void cancel() { m_cancelled.store(true); }
    qint64 done() const { return m_done.load(std::memory_order_relaxed); }
    qint64 total() const { return m_total.load(std::memory_order_relaxed); }
    // The status set since the last call, if any.
    std::optional<QString> takeStatus()
    {
        const QMutexLocker lock(&m_mutex);
        if (!m_statusChanged)
            return std::nullopt;
        m_statusChanged = false;
        return m_status;
    }

private:
    QObject* m_context;
    QWidget* m_parent = nullptr;
    std::atomic<qint64> m_done{0};
    std::atomic<qint64> m_total{0};
    std::atomic<bool> m_cancelled{false};
    QMutex m_mutex;
    QString m_status;
    bool m_statusChanged = false;
};

// The dialog of a run: the status, a bar with the counts, and Cancel. Closing it cancels the work;
// it goes when the work has ended.
class WorkDialog : public QDialog {
public:
    WorkDialog(QWidget* window, const QString& caption, SharedProgress& progress)
        : QDialog(window)
        , m_progress(progress)
        , m_status(new QLabel(caption, this))
        , m_bar(new QProgressBar(this))
        , m_cancel(new QPushButton(QStringLiteral("Cancel"), this))
    {
        setObjectName(QStringLiteral("WorkProgress"));
        setWindowTitle(caption);
        setWindowModality(Qt::ApplicationModal);
        m_status->setObjectName(QStringLiteral("workStatus"));
        m_status->setMinimumWidth(320);
        m_bar->setObjectName(QStringLiteral("workBar"));
        m_bar->setAccessibleName(QStringLiteral("Progress"));
        m_bar->setRange(0, 0);
        m_cancel->setObjectName(QStringLiteral("cancelButton"));
        m_cancel->setToolTip(QStringLiteral("Stop the work and leave everything as it was"));
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(m_status);
        layout->addWidget(m_bar);
        layout->addWidget(m_cancel, 0, Qt::AlignRight);
        connect(m_cancel, &QPushButton::clicked, this, [this] { reject(); });
    }

    void showStatus(const QString& text) { m_status->setText(text); }
    // The counts as they stand.
    void showCounts()
    {
        const qint64 total = m_progress.total();
        const qint64 done = std::min(m_progress.done(), total);
        if (total <= 0) {
            m_bar->setRange(0, 0);
            return;
        }
        // The bar counts in steps of at most an int's range; its text says the true counts.
        const qint64 scale = total / std::numeric_limits<int>::max() + 1;
        m_bar->setRange(0, int(total / scale));
        m_bar->setValue(int(done / scale));
        const QLocale locale;
        m_bar->setFormat(
            QStringLiteral("%1 of %2").arg(locale.toString(done), locale.toString(total)));
    }

    void reject() override
    {
        m_progress.cancel();
        m_cancel->setEnabled(false);
        m_status->setText(QStringLiteral("Cancelling..."));
    }

private:
    SharedProgress& m_progress;
    QLabel* m_status;
    QProgressBar* m_bar;
    QPushButton* m_cancel;
};

} // namespace

// The tables the windows show look for what the work changed, so they show it at once rather than
// at their next move: the tables of the holders a window owns and the tables its lists show (a
// holder the program keeps for the whole run belongs to no window). A table that cannot look now
// looks again when it next moves.
void followTheWork()
{
    QSet<Table*> shown;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        for (Table* table : window->findChildren<Table*>())
            shown.insert(table);
        for (const DBGrid* grid : window->findChildren<DBGrid*>()) {
            if (Table* table = grid->gridModel()->table())
                shown.insert(table);
        }
    }
    for (Table* table : std::as_const(shown)) {
        if (table->state() != TableState::Browse)
            continue;
        try {
            table->refresh();
        } catch (const Error&) {
            continue;
        }
    }
}

WorkEnd runWork(QWidget* window, const QString& caption, const std::function<void(Progress&)>& work,
                const std::function<void(const QString&)>& onStatus)
{
    QEventLoop loop;
    SharedProgress progress(&loop);
    WorkDialog dialog(window, caption, progress);
    progress.setQuestionParent(&dialog);
    bool cancelled = false;
    std::exception_ptr failure;
    const std::unique_ptr<QThread> thread(QThread::create([&] {
        try {
            work(progress);
        } catch (const Cancelled&) {
            cancelled = true;
        } catch (...) {
            failure = std::current_exception();
        }
    }));
    const auto show = [&] {
        if (const std::optional<QString> text = progress.takeStatus()) {
            if (!progress.isCancelled())
                dialog.showStatus(*text);
            if (onStatus)
                onStatus(*text);
        }
        dialog.showCounts();
    };
    QTimer ticker;
    ticker.setInterval(50);
    QObject::connect(&ticker, &QTimer::timeout, &loop, show);
    QObject::connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit);
    thread->start();
    dialog.open();
    ticker.start();
    loop.exec();
    // The loop also returns when the program ends: the work is cancelled then, and its questions
    // are declined while it winds down.
    while (!thread->wait(QDeadlineTimer(20))) {
        progress.cancel();
        QApplication::processEvents();
    }
    ticker.stop();
    show();
    dialog.hide();
    followTheWork();
    if (failure)
        std::rethrow_exception(failure);
    return cancelled ? WorkEnd::Cancelled : WorkEnd::Finished;
}

} // namespace ql
