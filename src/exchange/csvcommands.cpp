#include "exchange/csvcommands.h"

#include "core/seams.h"
#include "exchange/csvpreview.h"
#include "exchange/moduletable.h"
#include "formats/csvtable.h"
#include "store/catalogue.h"
#include "store/error.h"
#include "store/table.h"
#include "widgets/commands.h"
#include "widgets/fileexchange.h"
#include "widgets/workrunner.h"

namespace ql {
namespace {

const FileFormat kCsv{QStringLiteral("CSV"),
                      QStringLiteral("CSV files (*.csv)|*.csv|All Files (*.*)|*.*"),
                      QStringLiteral(".csv")};

const TableDef& definitionOf(exchange::Module module)
{
    static const TableDef* const tables[] = {
        &catalogue::names(), &catalogue::journal(), &catalogue::toDo(),  &catalogue::cds(),
        &catalogue::cdrs(),  &catalogue::tapes(),   &catalogue::books(), &catalogue::userDefined()};
    return *tables[int(module)];
}

// The source the command works on; nothing when the window shows no records.
std::optional<CsvSource> sourceOf(QWidget* window, const CsvCommands& commands)
{
    std::optional<CsvSource> source = commands.source();
    if (!source)
        Services::of(window).prompts().message(
            window, QStringLiteral("Choose the records to work on first."));
    return source;
}

// The module's table in a holder of the command's own, made in the session of the window's table.
exchange::HeldTable heldTable(const CsvSource& source)
{
    return exchange::openTable(source.table->session(), source.module);
}

void exportCsv(QWidget* window, const CsvCommands& commands)
{
    const std::optional<CsvSource> source = sourceOf(window, commands);
    if (!source)
        return;
    const std::vector<formats::CsvColumn> columns =
        formats::csvColumns(definitionOf(source->module), source->names);
    exportRecords(window, source->table, kCsv, [&](Progress& progress, const QString& file) {
        const exchange::HeldTable held = heldTable(*source);
        formats::exportCsv(*held.table, columns, file, progress);
    });
}

formats::CsvRows readRows(const QString& fileName, Progress& progress)
{
    progress.status(QStringLiteral("Reading..."));
    const QByteArray bytes = formats::readImportFile(fileName);
    progress.checkCancelled();
    return formats::parseCsv(formats::decodeCsv(bytes));
}

QString summary(const formats::CsvImportOutcome& outcome)
{
    QString text = outcome.summary(QStringLiteral("Records"));
    if (outcome.shortened > 0) {
        text += QStringLiteral("\n%1 values were longer than their field and were cut to it.")
                    .arg(outcome.shortened);
    }
    return text;
}

void importCsv(QWidget* window, const CsvCommands& commands)
{
    const std::optional<CsvSource> source = sourceOf(window, commands);
    if (!source)
        return;
    // The record being typed is stored before the file's records are added beside it.
    source->table->checkBrowseMode();
    const QString caption = QStringLiteral("Import from CSV");
    const QString file = Services::of(window).prompts().openFileName(window, caption, kCsv.filter);
    if (file.isEmpty())
        return;
    formats::CsvRows rows;
    if (runWork(window, caption, [&](Progress& p) { rows = readRows(file, p); }) ==
        WorkEnd::Cancelled)
        return;
    if (rows.size() < 2) {
        Services::of(window).prompts().message(window,
                                               QStringLiteral("The file holds no records."));
        return;
    }
    const TableDef& table = definitionOf(source->module);
    CsvPreviewDialog preview(rows, formats::csvImportFields(table),
                             formats::matchColumns(table, rows.front()), window);
    if (preview.exec() != QDialog::Accepted)
        return;
    const std::vector<formats::ColumnTarget> targets = preview.targets();
    formats::CsvImportOutcome outcome;
    const WorkEnd end = runWork(window, caption, [&](Progress& progress) {
        const exchange::HeldTable held = heldTable(*source);
        outcome = formats::importCsv(*held.table, rows, targets, progress);
    });
    Services::of(window).prompts().message(
        window, end == WorkEnd::Cancelled ? QStringLiteral("Import cancelled; nothing was added.")
                                          : summary(outcome));
}

} // namespace

void declareCsvCommands(QWidget* window, const CsvCommands& commands)
{
    declare(window, {.handler = [window, commands] { exportCsv(window, commands); },
                     .caption = QStringLiteral("Export t&o CSV..."),
                     .hint = QStringLiteral("Write the records to a file spreadsheets read"),
                     .items = {{commands.menu, "ExportCsv1", {}, true}}});
    if (!commands.imports)
        return;
    declare(window, {.handler = [window, commands] { importCsv(window, commands); },
                     .caption = QStringLiteral("Import fro&m CSV..."),
                     .hint = QStringLiteral("Add the records of a file other programs wrote"),
                     .items = {{commands.menu, "ImportCsv1"}}});
}

} // namespace ql
