// The field list of a table and the values of its current record, read and set by field.

#include "store/session.h"
#include "store/table.h"

#include <algorithm>

namespace ql {

QVariant Record::value(const QString& fieldName) const
{
    return m_values.at(m_table->fieldIndex(fieldName));
}

QString Record::text(const QString& fieldName) const
{
    return value(fieldName).toString();
}

void Record::setValue(const QString& fieldName, QVariant value)
{
    m_values[m_table->fieldIndex(fieldName)] = std::move(value);
}

// ---- the field list

void Table::addCalculatedField(const FieldDef& field, const QString& after)
{
    const auto at = m_fields.begin() + fieldIndex(after) + 1;
    m_fields.insert(at, TableField{field, -1});
    m_fieldByName.clear();
    for (size_t i = 0; i < m_fields.size(); ++i)
        m_fieldByName.insert(m_fields[i].def.name, int(i));
}

void Table::moveFieldToEnd(const QString& fieldName)
{
    const auto at = m_fields.begin() + fieldIndex(fieldName);
    std::rotate(at, at + 1, m_fields.end());
    m_fieldByName.clear();
    for (size_t i = 0; i < m_fields.size(); ++i)
        m_fieldByName.insert(m_fields[i].def.name, int(i));
}

int Table::findField(const QString& name) const
{
    if (const auto it = m_fieldByName.constFind(name); it != m_fieldByName.cend())
        return *it;
    for (size_t i = 0; i < m_fields.size(); ++i) {
        if (m_fields[i].def.name.compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return -1;
}

int Table::fieldIndex(const QString& name) const
{
    const int index = findField(name);
    if (index < 0)
        throw datasetError(QStringLiteral("Field '%1' not found").arg(name));
    return index;
}

// ---- reading values

const Record& Table::shownRecord() const
{
    checkActive();
    return (m_state == TableState::Edit || m_state == TableState::Insert) ? m_buffer : m_current;
}

QVariant Table::value(int field) const
{
    return shownRecord().at(field);
}

QVariant Table::value(const QString& fieldName) const
{
    return value(fieldIndex(fieldName));
}

QString Table::asText(int field) const
{
    return fieldText(m_fields[size_t(field)].def.type, shownRecord().at(field));
}

QString Table::asText(const QString& fieldName) const
{
    return asText(fieldIndex(fieldName));
}

QDate Table::asDate(const QString& fieldName) const
{
    const int field = fieldIndex(fieldName);
    return dateOf(m_fields[size_t(field)].def.type, value(field), m_session.clock().today());
}

QDateTime Table::asDateTime(const QString& fieldName) const
{
    const int field = fieldIndex(fieldName);
    return dateTimeOf(m_fields[size_t(field)].def.type, value(field), m_session.clock().today());
}

// ---- writing values

void Table::checkEditing() const
{
    checkActive();
    if (m_state != TableState::Edit && m_state != TableState::Insert)
        throw datasetError(QStringLiteral("Dataset not in edit or insert mode"));
}

void Table::setValue(int field, const QVariant& value)
{
    checkEditing();
    const TableField& f = m_fields[size_t(field)];
    if (f.isCalculated() || f.def.type == FieldType::AutoIncrement)
        throw datasetError(QStringLiteral("Field '%1' cannot be modified").arg(f.def.name));
    m_buffer.set(field, normalized(f.def, value));
    calculate(m_buffer);
    m_modified = true;
    Q_EMIT fieldChanged(field);
}

void Table::setValue(const QString& fieldName, const QVariant& value)
{
    setValue(fieldIndex(fieldName), value);
}

void Table::setAsText(const QString& fieldName, const QString& text)
{
    const int field = fieldIndex(fieldName);
    checkEditing();
    if (text.isEmpty()) {
        setValue(field, QVariant());
        return;
    }
    setValue(field, valueOfText(m_fields[size_t(field)].def.type, text, m_session.clock().today()));
}

void Table::setAsDate(const QString& fieldName, QDate date)
{
    setValue(fieldName, date);
}

void Table::setAsDateTime(const QString& fieldName, const QDateTime& value)
{
    setValue(fieldName, value);
}

} // namespace ql
