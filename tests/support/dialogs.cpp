#include "support/dialogs.h"

#include "core/settings.h"

#include <QDir>

namespace ql::test {

std::optional<QString> ScriptedPrompts::inputBox(QWidget*, const QString& caption,
                                                 const QString& prompt)
{
    questions << caption + QStringLiteral(": ") + prompt;
    return inputs.isEmpty() ? std::nullopt : inputs.dequeue();
}

void ScriptedPrompts::message(QWidget*, const QString& text, MessageKind kind)
{
    messages << text;
    kinds << kind;
}

bool ScriptedPrompts::confirm(QWidget*, const QString& text)
{
    questions << text;
    return !confirmations.isEmpty() && confirmations.dequeue();
}

QString ScriptedPrompts::openFileName(QWidget*, const QString& title, const QString& filter)
{
    questions << title;
    filters << filter;
    return fileNames.isEmpty() ? QString() : fileNames.dequeue();
}

QString ScriptedPrompts::saveFileName(QWidget*, const QString& title, const QString& filter,
                                      const QString& defaultSuffix)
{
    questions << title;
    filters << filter + u' ' + defaultSuffix;
    return fileNames.isEmpty() ? QString() : fileNames.dequeue();
}

void ScriptedHelpViewer::showTopic(const QString& helpFile, int topic)
{
    shown << qMakePair(helpFile, topic);
}

void ScriptedHelpViewer::showContents(const QString& helpFile)
{
    shown << qMakePair(helpFile, 0);
}

bool ScriptedProcessStarter::start(const QString& program)
{
    started << program;
    return succeed;
}

ScriptedDialogs::ScriptedDialogs()
    : m_settings(std::make_unique<SettingsFile>(
          QDir(m_settingsFolder.path()).filePath(QStringLiteral("config/Quillory.reg"))))
    , m_prompts(std::make_unique<ScriptedPrompts>())
    , m_help(std::make_unique<ScriptedHelpViewer>())
    , m_processes(std::make_unique<ScriptedProcessStarter>())
{
    settings = m_settings.get();
    prompts = m_prompts.get();
    help = m_help.get();
    processes = m_processes.get();
    m_services = Services(settings, prompts, nullptr, help, processes);
}

ScriptedDialogs::~ScriptedDialogs() = default;

void ScriptedProgress::progress(qint64 doneNow, qint64 totalNow)
{
    done = doneNow;
    total = totalNow;
    if (cancelAt >= 0 && done >= cancelAt)
        cancelled = true;
}

bool ScriptedProgress::confirm(const QString& question)
{
    questions << question;
    return !confirmations.isEmpty() && confirmations.dequeue();
}

std::optional<QString> ScriptedProgress::ask(const QString& caption, const QString& prompt)
{
    questions << caption + QStringLiteral(": ") + prompt;
    return inputs.isEmpty() ? std::nullopt : inputs.dequeue();
}

} // namespace ql::test
