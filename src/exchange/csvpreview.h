#pragma once

#include "formats/csv.h"
#include "formats/csvmapping.h"

#include <QDialog>
#include <vector>

class QComboBox;
class QTableWidget;

namespace ql {

// Shows the first records of a comma-separated file under its headers, and above each column the
// field it goes to, before anything is added. The user may send a column to another field or to
// none ("Not imported"); a field takes one column, so choosing a field another column fills sends
// that column to none. Import accepts the dialog, Cancel and Escape reject it.
class CsvPreviewDialog : public QDialog {
    Q_OBJECT
public:
    // How many records the dialog shows.
    static constexpr int kShown = 10;

    CsvPreviewDialog(const formats::CsvRows& rows, std::vector<formats::CsvColumn> fields,
                     std::vector<formats::ColumnTarget> targets, QWidget* parent = nullptr);

    // The field each column goes to, as the dialog shows it now.
    const std::vector<formats::ColumnTarget>& targets() const { return m_targets; }

private:
    void fillTable(const formats::CsvRows& rows);
    QComboBox* makeChooser(int column);
    void choose(int column, int choice);

    std::vector<formats::CsvColumn> m_fields;
    std::vector<formats::ColumnTarget> m_matched;
    std::vector<formats::ColumnTarget> m_targets;
    QTableWidget* m_table;
    std::vector<QComboBox*> m_choosers;
};

} // namespace ql
