#include "error.h"
#include "install.h"

#include <QCoreApplication>
#include <QDir>
#include <QTextStream>

// quillory-install DIR: lays out a program directory with the quillory program built beside it.
int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList arguments = app.arguments();
    if (arguments.size() != 2) {
        err << "usage: quillory-install DIRECTORY\n";
        return 2;
    }
    const QString executable = QDir(app.applicationDirPath()).filePath(QStringLiteral("quillory"));
    try {
        ql::install::layOut(arguments.at(1), executable);
    } catch (const ql::Error& e) {
        err << "quillory-install: " << e.text() << '\n';
        return 1;
    }
    QTextStream(stdout) << "Quillory installed in " << QDir(arguments.at(1)).absolutePath() << '\n';
    return 0;
}
