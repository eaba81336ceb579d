#include "artwork.h"
#include "error.h"
#include "install.h"

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
    QStringList arguments = app.arguments();
    const bool desktopEntry = arguments.removeAll(QStringLiteral("--desktop-entry")) > 0;
    if (arguments.size() != 2) {
        err << "usage: quillory-install DIRECTORY [--desktop-entry]\n";
        return 2;
    }
    const QString directory = QDir(arguments.at(1)).absolutePath();
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
