#pragma once

#include "core/seams.h"

#include <QtGlobal>
#include <memory>

namespace ql {

class DialogPrompts;
class SettingsFile;

// The real settings file, dialogs, printer, help window and process start, made once by the
// program at start.
class RealServices {
public:
    RealServices();
    ~RealServices();
    Q_DISABLE_COPY_MOVE(RealServices)

    const Services& services() const { return m_services; }

    // From now on nothing waits on the user: a message goes to the standard error output, a
    // question is answered No, and a prompt or a file dialog is cancelled. For the session's end,
    // when no one is there to answer.
    void stopAsking();

private:
    std::unique_ptr<SettingsFile> m_settings;
    std::unique_ptr<DialogPrompts> m_prompts;
    std::unique_ptr<Printing> m_printing;
    std::unique_ptr<HelpViewer> m_helpViewer;
    std::unique_ptr<ProcessStarter> m_processStarter;
    Services m_services;
};

} // namespace ql
