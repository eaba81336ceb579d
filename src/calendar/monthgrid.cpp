#include "calendar/monthgrid.h"

#include "store/error.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>

namespace ql {
namespace {

constexpr int kWeeks = 6;
constexpr int kDays = 7;

// The mark of a day with a note: a dot in the colour of highlighted text's background.
QIcon noteMark(const QPalette& palette)
{
    QPixmap dot(10, 10);
    dot.fill(Qt::transparent);
    QPainter painter(&dot);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(palette.color(QPalette::Highlight));
    painter.drawEllipse(1, 1, 8, 8);
    return QIcon(dot);
}

} // namespace

MonthGrid::MonthGrid(QDate today, QWidget* parent)
    : QTableWidget(kWeeks, kDays, parent)
    , m_date(today)
{
    const QLocale locale;
    QStringList names;
    for (int weekday = Qt::Monday; weekday <= Qt::Sunday; ++weekday)
        names << locale.dayName(weekday, QLocale::ShortFormat);
    setHorizontalHeaderLabels(names);
    verticalHeader()->hide();
    horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    horizontalHeader()->setSectionsClickable(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setEditTriggers(NoEditTriggers);
    setSelectionMode(SingleSelection);
    setSelectionBehavior(SelectItems);
    setTabKeyNavigation(false);
    setCornerButtonEnabled(false);
    setDragEnabled(false);
    for (int row = 0; row < kWeeks; ++row) {
        for (int column = 0; column < kDays; ++column) {
            auto* cell = new QTableWidgetItem;
            cell->setTextAlignment(Qt::AlignCenter);
            setItem(row, column, cell);
        }
    }
    redraw();
}

void MonthGrid::setYear(int year)
{
    if (year > 0)
        encode(year, month(), day());
}

void MonthGrid::setMonth(int month)
{
    if (month > 0 && month <= 12)
        encode(year(), month, day());
}

void MonthGrid::setDay(int day)
{
    if (day > 0 && day <= m_date.daysInMonth())
        encode(year(), month(), day);
}

void MonthGrid::encode(int year, int month, int day)
{
    if (year > 9999 || !QDate::isValid(year, month, day))
        throw Error(QStringLiteral("Invalid argument to date encode"));
    m_date = QDate(year, month, day);
    redraw();
}

QTableWidgetItem* MonthGrid::dayItem(int day) const
{
    const QModelIndex cell = cellOf(day);
    return cell.isValid() ? item(cell.row(), cell.column()) : nullptr;
}

int MonthGrid::dayAt(const QModelIndex& index) const
{
    if (!index.isValid())
        return 0;
    const int first = QDate(year(), month(), 1).dayOfWeek() - Qt::Monday;
    const int day = index.row() * kDays + index.column() - first + 1;
    return day >= 1 && day <= m_date.daysInMonth() ? day : 0;
}

QModelIndex MonthGrid::cellOf(int day) const
{
    if (day < 1 || day > m_date.daysInMonth())
        return {};
    const int cell = QDate(year(), month(), 1).dayOfWeek() - Qt::Monday + day - 1;
    return model()->index(cell / kDays, cell % kDays);
}

void MonthGrid::setNotes(QMap<QDate, QString> notes)
{
    m_notes = std::move(notes);
    redraw();
}

void MonthGrid::redraw()
{
    const QLocale locale;
    const QIcon mark = noteMark(palette());
    for (int row = 0; row < kWeeks; ++row) {
        for (int column = 0; column < kDays; ++column) {
            QTableWidgetItem* cell = item(row, column);
            const int day = dayAt(model()->index(row, column));
            if (day == 0) {
                cell->setText(QString());
                cell->setData(Qt::AccessibleTextRole, QVariant());
                cell->setData(Qt::DecorationRole, QVariant());
                cell->setToolTip(QString());
                cell->setFlags(Qt::NoItemFlags);
                continue;
            }
            const QDate date(year(), month(), day);
            const QString note = m_notes.value(date);
            QString spoken = locale.toString(date, QLocale::LongFormat);
            if (!note.isEmpty())
                spoken += QStringLiteral(", ") + note;
            cell->setText(QString::number(day));
            cell->setData(Qt::AccessibleTextRole, spoken);
            cell->setData(Qt::DecorationRole, note.isEmpty() ? QVariant() : QVariant(mark));
            cell->setToolTip(note);
            cell->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        }
    }
    setCurrentIndex(cellOf(day()));
}

void MonthGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTableWidget::currentChanged(current, previous);
    if (const int chosen = dayAt(current))
        m_date.setDate(year(), month(), chosen);
}

QModelIndex MonthGrid::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers)
{
    int target = day();
    switch (cursorAction) {
    case MoveLeft:
    case MovePrevious:
        target -= 1;
        break;
    case MoveRight:
    case MoveNext:
        target += 1;
        break;
    case MoveUp:
        target -= kDays;
        break;
    case MoveDown:
        target += kDays;
        break;
    case MoveHome:
        target = 1;
        break;
    case MoveEnd:
        target = m_date.daysInMonth();
        break;
    case MovePageUp:
    case MovePageDown:
        break;
    }
    const QModelIndex cell = cellOf(target);
    return cell.isValid() ? cell : cellOf(day());
}

// A day cell is always chosen alone and never unchosen; blank cells are never chosen.
QItemSelectionModel::SelectionFlags MonthGrid::selectionCommand(const QModelIndex& index,
                                                                const QEvent*) const
{
    return dayAt(index) ? QItemSelectionModel::ClearAndSelect : QItemSelectionModel::NoUpdate;
}

void MonthGrid::mousePressEvent(QMouseEvent* event)
{
    if (dayAt(indexAt(event->position().toPoint())) == 0) {
        event->accept();
        return;
    }
    QTableWidget::mousePressEvent(event);
}

void MonthGrid::mouseMoveEvent(QMouseEvent* event)
{
    if (dayAt(indexAt(event->position().toPoint())) == 0) {
        event->accept();
        return;
    }
    QTableWidget::mouseMoveEvent(event);
}

void MonthGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    event->accept();
    Q_EMIT doubleClick();
}

void MonthGrid::keyPressEvent(QKeyEvent* event)
{
    if (event->modifiers() & ~Qt::KeypadModifier) {
        QTableWidget::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        Q_EMIT doubleClick();
        break;
    case Qt::Key_PageUp:
        Q_EMIT monthStep(-1);
        break;
    case Qt::Key_PageDown:
        Q_EMIT monthStep(1);
        break;
    default:
        QTableWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

} // namespace ql
