#include "core/opener.h"
#include "core/settings.h"
#include "shell/mainmenu.h"
#include "shell/realservices.h"
#include "shell/sessionend.h"
#include "shell/startup.h"
#include "store/error.h"
#include "store/session.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QMessageBox>
#include <QTextStream>
#include <malloc.h>

int main(int argc, char** argv)
{
    // Long work runs on a thread of its own; one memory arena for every thread keeps the pages a
    // run frees for the next run instead of handing a fresh arena back to the system each time.
    mallopt(M_ARENA_MAX, 1);
    QApplication app(argc, argv);
    // The program takes no arguments: --help says so, and anything else is refused before
    // anything is written.
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Quillory, a personal organizer. It takes no arguments: everything is "
                       "chosen in its windows."));
    parser.addHelpOption();
    parser.process(app);
    if (!parser.positionalArguments().isEmpty()) {
        QTextStream(stderr) << "quillory: unknown argument '"
                            << parser.positionalArguments().first() << "'\n";
        return 2;
    }
    QApplication::setApplicationName(QStringLiteral("Quillory 3.0"));
    ql::RealServices services;
    ql::Session session;
    std::unique_ptr<ql::Program> program;
    try {
        // The program directory is the one that holds the program, wherever it was started.
        program = std::make_unique<ql::Program>(QApplication::applicationDirPath(), session,
                                                services.services());
    } catch (const ql::Error& e) {
        QMessageBox::critical(nullptr, QApplication::applicationName(), e.text());
        return 1;
    } catch (const ql::StartDeclined&) {
        return 0;
    }
    // The session's end closes the program as Exit does.
    const ql::SessionEnd sessionEnd(program->mainMenu(), [&services] { services.stopAsking(); });
    program->mainMenu()->show();
    if (const QString report = services.services().settings().takeDamageReport(); !report.isEmpty())
        services.services().prompts().message(program->mainMenu(), report,
                                              ql::MessageKind::Warning);
    ql::showNotices(program->mainMenu(), session);
    // A session that ended while the menu was being shown (a first-use message open) starts no
    // main loop.
    return sessionEnd.ended() ? 0 : QApplication::exec();
}
