#pragma once

#include <QString>
#include <QtGlobal>
#include <functional>
#include <optional>

namespace ql {

// Thrown out of long work once the user cancels it. The work's one transaction is rolled back on
// the way out, so the tables stay as they were before the work started.
struct Cancelled {};

// What long work tells whoever runs it, and what it asks the user through them. A window runs the
// work on a worker thread and answers on its own thread; a test answers from a script. Every
// function is called on the thread of the work.
class Progress {
public:
    virtual ~Progress() = default;

    // How far the work has come: `done` of `total` steps; a total of 0 when it is not known yet.
    virtual void progress(qint64 done, qint64 total) = 0;
    // What the work is doing now, in the words of the window that runs it.
    virtual void status(const QString& text) = 0;
    virtual bool isCancelled() const = 0;
    // A question with the answers Yes and No; true for Yes. The work waits for the answer.
    virtual bool confirm(const QString& question) = 0;
    // A one-line answer, such as a password; nothing when the user declines to give one.
    virtual std::optional<QString> ask(const QString& caption, const QString& prompt) = 0;
    // Puts a question of the work's own kind to the user where the user is asked (a window's
    // thread) and returns once it is answered; the work waits. Runs it at once unless the one who
    // runs the work asks elsewhere.
    virtual void askUser(const std::function<void()>& question) { question(); }

    // Throws Cancelled once the user cancelled the work.
    void checkCancelled() const
    {
        if (isCancelled())
            throw Cancelled{};
    }
};

} // namespace ql
