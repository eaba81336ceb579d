#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace ql {

enum class FieldType { AutoIncrement, Text, Memo, Date, DateTime };

struct FieldDef {
    QString name;
    FieldType type = FieldType::Text;
    int size = 0;         // characters for text fields, the inline size for memos
    int displayWidth = 0; // column width in characters in a grid
};

struct IndexDef {
    QString name;
    QString field;
};

// One table of the catalogue: its name, its fields in stored order (the first is the
// auto-increment key) and its secondary indexes.
struct TableDef {
    QString name;
    std::vector<FieldDef> fields;
    std::vector<IndexDef> indexes;

    int fieldIndex(const QString& fieldName) const; // -1 when there is none
    const IndexDef* indexByName(const QString& indexName) const;
    const IndexDef* indexOnField(const QString& fieldName) const;
};

} // namespace ql
