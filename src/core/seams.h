#pragma once

#include <QString>
#include <memory>
#include <optional>

class QWidget;

// Everything that waits on the user or leaves the process goes through these interfaces. The
// program installs the real ones; tests install scripted ones and check what was asked.
namespace ql {

namespace report {
struct Document;
}

// What a message tells: a plain notice or refusal of the program's own (its box shows no icon),
// something to mind, or a failure. The box shows the icon of its kind.
enum class MessageKind { Plain, Warning, Critical };

class Prompts {
public:
    virtual ~Prompts() = default;
    // A one-line prompt with an initially empty field; nothing when cancelled.
    virtual std::optional<QString> inputBox(QWidget* parent, const QString& caption,
                                            const QString& prompt) = 0;
    // A one-line prompt whose field hides what is typed, for a password; nothing when cancelled.
    // Unless overridden, the input box.
    virtual std::optional<QString> passwordBox(QWidget* parent, const QString& caption,
                                               const QString& prompt);
    // A message with one OK button.
    virtual void message(QWidget* parent, const QString& text,
                         MessageKind kind = MessageKind::Plain) = 0;
    // A confirmation of the information kind with Yes and No; true for Yes.
    virtual bool confirm(QWidget* parent, const QString& text) = 0;
    // File dialogs; empty when cancelled. The filter is "Text files (*.txt)|*.txt|…".
    virtual QString openFileName(QWidget* parent, const QString& title, const QString& filter) = 0;
    virtual QString saveFileName(QWidget* parent, const QString& title, const QString& filter,
                                 const QString& defaultSuffix) = 0;
    // A file dialog that lists only the programs the user may run (and the folders that lead to
    // them) under the filter's name; empty when cancelled. Unless overridden, an open file dialog
    // over every file.
    virtual QString openProgramName(QWidget* parent, const QString& title,
                                    const QString& filterName);
};

class Printing {
public:
    virtual ~Printing() = default;
    // Prints the window's client area below its menu bar at its on-screen size at the top left
    // of one page. Throws ql::Error when the picture cannot be printed.
    virtual void printWindow(QWidget* window) = 0;
    // Shows a laid-out report in the preview window; returns when the preview closes.
    virtual void previewReport(QWidget* parent, const report::Document& document) = 0;
    // Prints a laid-out report at once on the current printer, with no dialog.
    virtual void printReport(QWidget* parent, const report::Document& document) = 0;
};

class HelpViewer {
public:
    virtual ~HelpViewer() = default;
    virtual void showTopic(const QString& helpFile, int topic) = 0;
    virtual void showContents(const QString& helpFile) = 0;
};

class ProcessStarter {
public:
    virtual ~ProcessStarter() = default;
    // Starts a program on its own; false when it cannot be started.
    virtual bool start(const QString& program) = 0;
};

class SettingsFile;

// The services of one run, each the program's own: the settings file that stands for the
// registry, the dialogs, the printer, the help viewer and the start of other programs. The
// program makes the real ones at start and hands them down in its run context; a test makes
// scripted ones. A window made with them serves them to everything in it, so a control or a
// command finds them through the window it is in.
class Services {
public:
    Services() = default;
    Services(SettingsFile* settings, Prompts* prompts, Printing* printing, HelpViewer* helpViewer,
             ProcessStarter* processStarter)
        : m_settings(settings)
        , m_prompts(prompts)
        , m_printing(printing)
        , m_helpViewer(helpViewer)
        , m_processStarter(processStarter)
    {
    }

    SettingsFile& settings() const { return *m_settings; }
    Prompts& prompts() const { return *m_prompts; }
    Printing& printing() const { return *m_printing; }
    HelpViewer& helpViewer() const { return *m_helpViewer; }
    ProcessStarter& processStarter() const { return *m_processStarter; }
    // The same services over another settings file.
    Services withSettings(SettingsFile* settings) const
    {
        Services copy = *this;
        copy.m_settings = settings;
        return copy;
    }

    // Everything in `window` (and every window it owns) finds these services from now on; they
    // outlive the window.
    void serve(QWidget* window) const;
    // The services of the window `widget` is in, or of the nearest window that owns it; a widget
    // outside any served window is a fault of the program and ends it.
    static const Services& of(const QWidget* widget);

private:
    SettingsFile* m_settings = nullptr;
    Prompts* m_prompts = nullptr;
    Printing* m_printing = nullptr;
    HelpViewer* m_helpViewer = nullptr;
    ProcessStarter* m_processStarter = nullptr;
};

} // namespace ql
