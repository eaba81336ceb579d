#include "exchange/csvpreview.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>

namespace ql {

CsvPreviewDialog::CsvPreviewDialog(const formats::CsvRows& rows,
                                   std::vector<formats::CsvColumn> fields,
                                   std::vector<formats::ColumnTarget> targets, QWidget* parent)
    : QDialog(parent)
    , m_fields(std::move(fields))
    , m_matched(targets)
    , m_targets(std::move(targets))
    , m_table(new QTableWidget(this))
{
    setObjectName(QStringLiteral("CsvPreview"));
    setWindowTitle(QStringLiteral("Import from CSV"));
    const qsizetype records = qsizetype(rows.size()) - 1;
    auto* note = new QLabel(
        QStringLiteral("The file holds %1 records; the first of them are shown below. Above each "
                       "column stands the field it goes to: choose another field, or Not "
                       "imported, before the records are added.")
            .arg(records),
        this);
    note->setObjectName(QStringLiteral("PreviewNote"));
    note->setWordWrap(true);
    m_table->setObjectName(QStringLiteral("PreviewTable"));
    m_table->setAccessibleName(QStringLiteral("Columns and first records"));
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    fillTable(rows);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* import =
        buttons->addButton(QStringLiteral("&Import"), QDialogButtonBox::AcceptRole);
    import->setObjectName(QStringLiteral("ImportButton"));
    import->setToolTip(QStringLiteral("Add the file's records"));
    QPushButton* cancel = buttons->addButton(QDialogButtonBox::Cancel);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    cancel->setToolTip(QStringLiteral("Add nothing"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(note);
    layout->addWidget(m_table, 1);
    layout->addWidget(buttons);
    resize(760, 420);
}

// The first row holds the field choosers, the rows below it the first records.
void CsvPreviewDialog::fillTable(const formats::CsvRows& rows)
{
    const QStringList& headers = rows.front();
    const int shown = int(std::min<size_t>(rows.size() - 1, kShown));
    m_table->setColumnCount(int(headers.size()));
    m_table->setRowCount(shown + 1);
    m_table->setHorizontalHeaderLabels(headers);
    QStringList rowTitles{QStringLiteral("Field")};
    for (int r = 1; r <= shown; ++r)
        rowTitles << QString::number(r);
    m_table->setVerticalHeaderLabels(rowTitles);
    for (int c = 0; c < int(headers.size()); ++c) {
        m_choosers.push_back(makeChooser(c));
        m_table->setCellWidget(0, c, m_choosers.back());
        for (int r = 1; r <= shown; ++r)
            m_table->setItem(r, c, new QTableWidgetItem(rows[size_t(r)].value(c)));
    }
    m_table->resizeColumnsToContents();
}

QComboBox* CsvPreviewDialog::makeChooser(int column)
{
    auto* chooser = new QComboBox(m_table);
    chooser->setObjectName(QStringLiteral("Column%1").arg(column + 1));
    chooser->setAccessibleName(QStringLiteral("Field for the column %1")
                                   .arg(m_table->horizontalHeaderItem(column)->text()));
    chooser->addItem(QStringLiteral("Not imported"));
    int chosen = 0;
    for (size_t i = 0; i < m_fields.size(); ++i) {
        chooser->addItem(m_fields[i].header);
        if (m_fields[i].field == m_targets[size_t(column)].field)
            chosen = int(i) + 1;
    }
    chooser->setCurrentIndex(chosen);
    connect(chooser, &QComboBox::currentIndexChanged, this,
            [this, column](int choice) { choose(column, choice); });
    return chooser;
}

void CsvPreviewDialog::choose(int column, int choice)
{
    const QString field = choice > 0 ? m_fields[size_t(choice - 1)].field : QString();
    const formats::ColumnTarget& matched = m_matched[size_t(column)];
    m_targets[size_t(column)] = matched.field == field ? matched : formats::ColumnTarget{field};
    if (field.isEmpty())
        return;
    for (size_t other = 0; other < m_targets.size(); ++other) {
        if (int(other) != column && m_targets[other].field == field) {
            m_targets[other] = {};
            const QSignalBlocker quiet(m_choosers[other]);
            m_choosers[other]->setCurrentIndex(0);
        }
    }
}

} // namespace ql
