#pragma once

#include "report/report.h"

#include <QStringList>

// Reading laid-out report pages in tests.
namespace ql::test {

// The texts one component printed on a page, top to bottom.
inline QStringList printed(const report::Page& page, const QString& name)
{
    QStringList texts;
    for (const report::PlacedItem& item : page.items)
        if (item.name == name && item.kind == report::PlacedItem::Kind::Text)
            texts << item.text;
    return texts;
}

// The same over every page.
inline QStringList printed(const report::Document& document, const QString& name)
{
    QStringList texts;
    for (const report::Page& page : document.pages)
        texts << printed(page, name);
    return texts;
}

// The first item a component printed on a page; a default item when there is none.
inline report::PlacedItem placed(const report::Page& page, const QString& name)
{
    for (const report::PlacedItem& item : page.items)
        if (item.name == name)
            return item;
    return {};
}

// Where the rules of a page stand, top to bottom.
inline QList<double> rules(const report::Page& page)
{
    QList<double> tops;
    for (const report::PlacedItem& item : page.items)
        if (item.kind == report::PlacedItem::Kind::Rule)
            tops << item.rect.top();
    return tops;
}

} // namespace ql::test
