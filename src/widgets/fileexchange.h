#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace ql {

class Progress;
class Table;

// A format of another program's that a module window writes its records in and reads them from:
// its name in the dialogs' titles ("vCard"), the file dialogs' filter ("vCard files
// (*.vcf)|*.vcf|All Files (*.*)|*.*") and the suffix a file saved without one gets (".vcf").
struct FileFormat {
    QString name;
    QString filter;
    QString suffix;
};

// Stores the record being typed in the window's `table` (none when it shows no list), so that the
// file has it; asks for the file to write with the save dialog and runs the export through the
// work runner, with its progress and Cancel; tells the user the file was written, or that a cancel
// left none. Nothing is written when the dialog is cancelled; a failure, also of storing the
// record, is thrown to the command's guard.
void exportRecords(QWidget* window, Table* table, const FileFormat& format,
                   const std::function<void(Progress&, const QString&)>& work);

// Asks for the file to read with the open dialog, stores the window's pending record, and runs the
// import through the work runner; tells the user what the import says it added and skipped, or
// that a cancel added nothing. The window's table shows the new records once the import is done.
void importRecords(QWidget* window, Table& table, const FileFormat& format,
                   const std::function<QString(Progress&, const QString&)>& work);

} // namespace ql
