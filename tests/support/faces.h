#pragma once

#include <QAbstractButton>
#include <QGroupBox>
#include <QLineEdit>
#include <QTest>
#include <QWidget>

#include <vector>

namespace ql::test {

// What one control of a window shows and says: the objectName it is found by, its text (a
// button's caption, a group's title, an editor's text), the name a screen reader reads and its
// tool tip.
struct Face {
    const char* name;
    const char* text;
    const char* spoken;
    const char* hint;
};

inline QString shownText(const QWidget* control)
{
    if (const auto* button = qobject_cast<const QAbstractButton*>(control))
        return button->text();
    if (const auto* group = qobject_cast<const QGroupBox*>(control))
        return group->title();
    if (const auto* edit = qobject_cast<const QLineEdit*>(control))
        return edit->text();
    return QStringLiteral("(no text)");
}

// Each control of `window` shows and says what its face gives.
inline void compareFaces(const QWidget* window, const std::vector<Face>& faces)
{
    for (const Face& face : faces) {
        const auto* control = window->findChild<QWidget*>(QString::fromLatin1(face.name));
        QVERIFY2(control, face.name);
        const QStringList seen = {shownText(control), control->accessibleName(),
                                  control->toolTip()};
        const QStringList expected = {QString::fromUtf8(face.text), QString::fromUtf8(face.spoken),
                                      QString::fromUtf8(face.hint)};
        // Every control is compared, also after one that differs.
        QTest::qCompare(seen, expected, face.name, "expected", __FILE__, __LINE__);
    }
}

// The controls stand in one row, from left to right in the order given.
inline void compareRow(const std::vector<const QWidget*>& row)
{
    for (std::size_t i = 1; i < row.size(); ++i) {
        QCOMPARE(row[i]->y(), row[0]->y());
        QVERIFY2(row[i - 1]->x() < row[i]->x(), qPrintable(row[i]->objectName()));
    }
}

} // namespace ql::test
