#pragma once

#include <QDate>
#include <QMap>
#include <QTableWidget>

namespace ql {

// One month on a grid of seven columns, Monday first, headed by the locale's short day names,
// with six week rows below. The grid holds one date: its day's cell is the selected one, and the
// blank cells before the first and after the last day cannot be chosen, so neither the mouse
// nor the keyboard leaves the month.
class MonthGrid : public QTableWidget {
    Q_OBJECT
public:
    // Opens on the day `today`, its month shown.
    explicit MonthGrid(QDate today, QWidget* parent = nullptr);

    QDate date() const { return m_date; }
    int year() const { return m_date.year(); }
    int month() const { return m_date.month(); }
    int day() const { return m_date.day(); }

    // Each setter ignores a value of 0 or below, a month above 12 and a day beyond the month's
    // last; any other value re-forms the date from the three parts and redraws the month.
    // Throws ql::Error "Invalid argument to date encode" when the parts form no date (a year
    // above 9999, or a day the new month or year lacks).
    void setYear(int year);
    void setMonth(int month);
    void setDay(int day);

    // The cell showing a day of the shown month.
    QTableWidgetItem* dayItem(int day) const;

    // Notes on days ("3 loans due"), in whatever month: a day with a note shows a mark and its
    // cell is read with the note after the date. Replaces the notes set before.
    void setNotes(QMap<QDate, QString> notes);

Q_SIGNALS:
    // A double-click anywhere on the days, or Enter.
    void doubleClick();
    // Page Up (-1) or Page Down (+1): the month before or after is asked for.
    void monthStep(int step);

protected:
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    void encode(int year, int month, int day);
    void redraw();
    // The day a cell shows; 0 for a blank cell.
    int dayAt(const QModelIndex& index) const;
    QModelIndex cellOf(int day) const;

    QDate m_date;
    QMap<QDate, QString> m_notes;
};

} // namespace ql
