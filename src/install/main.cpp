#include "core/artwork.h"
#include "install/install.h"
#include "store/error.h"

#include <QCommandLineParser>
#include <QDir>
#include <QGuiApplication>
#include <QTextStream>

// quillory-install DIR [--desktop-entry]: lays out a program directory with the quillory program
// built beside this one; with --desktop-entry it also adds the program to the desktop's menu.
int main(int argc, char** argv)
{
    // The icon is drawn without a screen.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTextStream err(stderr);
    // --help shows the usage; an unknown option or a missing directory is refused before
    // anything is written.
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Lays out a Quillory program directory in DIRECTORY."));
    parser.addHelpOption();
    const QCommandLineOption desktopEntryOption(
        QStringLiteral("desktop-entry"), QStringLiteral("Add Quillory to the desktop's menu."));
    parser.addOption(desktopEntryOption);
    parser.addPositionalArgument(QStringLiteral("DIRECTORY"),
                                 QStringLiteral("The program directory to lay out."));
    parser.process(app);
    const QStringList arguments = parser.positionalArguments();
    if (arguments.size() != 1) {
        err << "usage: quillory-install DIRECTORY [--desktop-entry]\n";
        return 2;
    }
    const bool desktopEntry = parser.isSet(desktopEntryOption);
    const QString directory = QDir(arguments.at(0)).absolutePath();
    const QString executable = QDir(app.applicationDirPath()).filePath(QStringLiteral("quillory"));
    try {
        ql::install::layOut(directory, executable);
        ql::artwork::programIcon(256).save(
            QDir(directory).filePath(QStringLiteral("quillory.png")));
        if (desktopEntry) {
            ql::install::writeDesktopEntry(
                directory, QDir::home().filePath(QStringLiteral(".local/share/applications")));
        }
    } catch (const ql::Error& e) {
        err << "quillory-install: " << e.text() << '\n';
        return 1;
    }
    QTextStream(stdout) << "Quillory installed in " << directory << '\n';
    return 0;
}
