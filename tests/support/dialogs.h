#pragma once

#include "core/seams.h"
#include "store/progress.h"

#include <QList>
#include <QPair>
#include <QQueue>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

// Scripted stand-ins for everything that waits on the user or leaves the process: they answer
// from a queue and remember what they were asked. The printing stand-in is in
// support/scripted.h, over the report layer.
namespace ql {
class SettingsFile;
}

namespace ql::test {

class ScriptedPrompts : public Prompts {
public:
    std::optional<QString> inputBox(QWidget* parent, const QString& caption,
                                    const QString& prompt) override;
    void message(QWidget* parent, const QString& text, MessageKind kind) override;
    bool confirm(QWidget* parent, const QString& text) override;
    QString openFileName(QWidget* parent, const QString& title, const QString& filter) override;
    QString saveFileName(QWidget* parent, const QString& title, const QString& filter,
                         const QString& defaultSuffix) override;

    QQueue<std::optional<QString>> inputs; // nullopt answers Cancel
    QQueue<bool> confirmations;            // an empty queue answers No
    QQueue<QString> fileNames;             // an empty queue cancels
    QStringList messages;
    QList<MessageKind> kinds; // of each message
    QStringList questions;    // input prompts and confirmation texts, in order
    // The filter of each file dialog, a save dialog's followed by a blank and its default suffix.
    QStringList filters;
};

class ScriptedHelpViewer : public HelpViewer {
public:
    void showTopic(const QString& helpFile, int topic) override;
    void showContents(const QString& helpFile) override;
    // (help file, topic); topic 0 stands for the contents.
    QList<QPair<QString, int>> shown;
};

class ScriptedProcessStarter : public ProcessStarter {
public:
    bool start(const QString& program) override;
    QStringList started;
    bool succeed = true;
};

// A settings file of its own in a fresh folder, and fresh scripted prompts, help viewer and
// process starter, handed to a program or a window as its services.
struct ScriptedDialogs {
    ScriptedDialogs();
    ~ScriptedDialogs();
    ScriptedDialogs(const ScriptedDialogs&) = delete;
    ScriptedDialogs& operator=(const ScriptedDialogs&) = delete;
    operator const Services&() const { return m_services; }
    // Everything in `window` uses these services.
    void serve(QWidget* window) const { m_services.serve(window); }
    // Everything made with these services uses `others` from now on, over these services' own
    // settings file, which outlives them.
    void useInstead(const Services& others) { m_services = others.withSettings(settings); }
    SettingsFile* settings;
    ScriptedPrompts* prompts;
    ScriptedHelpViewer* help;
    ScriptedProcessStarter* processes;

protected:
    Services m_services;

private:
    QTemporaryDir m_settingsFolder;
    std::unique_ptr<SettingsFile> m_settings;
    std::unique_ptr<ScriptedPrompts> m_prompts;
    std::unique_ptr<ScriptedHelpViewer> m_help;
    std::unique_ptr<ScriptedProcessStarter> m_processes;
};

// Runs long work as a window's runner would, on the caller's thread: answers the work's questions
// from queues, remembers what it reported, and cancels when told or once the work reports a step.
class ScriptedProgress : public Progress {
public:
    void progress(qint64 done, qint64 total) override;
    void status(const QString& text) override { statuses << text; }
    bool isCancelled() const override { return cancelled; }
    bool confirm(const QString& question) override;
    std::optional<QString> ask(const QString& caption, const QString& prompt) override;

    qint64 cancelAt = -1; // the step done at which the user cancels; -1 for never
    bool cancelled = false;
    qint64 done = 0; // as last reported
    qint64 total = 0;
    QStringList statuses;
    QQueue<std::optional<QString>> inputs; // nullopt declines
    QQueue<bool> confirmations;            // an empty queue answers No
    QStringList questions;                 // "caption: prompt" for an input, the text of a question
};

} // namespace ql::test
