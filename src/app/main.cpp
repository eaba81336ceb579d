#include "error.h"
#include "holders.h"
#include "install.h"
#include "session.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMessageBox>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillory 3.0"));
    // The program directory is the one that holds the program, wherever it was started from.
    const QString programDirectory = QApplication::applicationDirPath();
    try {
        ql::Session::instance().loadConfiguration(ql::install::configurationFile(programDirectory));
        ql::TDataModule1 addressBook;
        QLabel window(QStringLiteral("<h3>Quillory 3.0</h3><p>Program: %1</p><p>Data: %2</p>"
                                     "<p>The address book holds %3 records.</p>")
                          .arg(QDir::toNativeSeparators(programDirectory),
                               QDir::toNativeSeparators(ql::Session::instance().databasePath(
                                   QStringLiteral("Quilbase"))))
                          .arg(addressBook.tbNames->recordCount()));
        window.setObjectName(QStringLiteral("InstallInfo"));
        window.setMargin(24);
        window.setWindowTitle(QStringLiteral("Quillory 3.0"));
        window.show();
        return QApplication::exec();
    } catch (const ql::Error& e) {
        QMessageBox::critical(nullptr, QStringLiteral("Quillory 3.0"), e.text());
        return 1;
    }
}
