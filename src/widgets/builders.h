#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

#include <vector>

class QCheckBox;
class QFrame;
class QLabel;
class QVBoxLayout;

// Small helpers that lay out a window's controls: each makes one control under its parent with
// the objectName tests and settings find it by.
namespace ql {

class RadioGroup;

// A control of type `Control` that a screen reader reads as `accessibleName` and whose tool tip
// is `hint`.
template <class Control>
Control* makeControl(QWidget* parent, const char* name, const QString& accessibleName,
                     const QString& hint)
{
    auto* control = new Control(parent);
    control->setObjectName(QString::fromLatin1(name));
    control->setAccessibleName(accessibleName);
    control->setToolTip(hint);
    return control;
}

// A check box showing `caption`, which a screen reader reads without its Alt marker.
QCheckBox* makeCheckBox(QWidget* parent, const char* name, const QString& caption,
                        const QString& hint);

// A captioned group of radio buttons offering `items`, none of them chosen yet.
RadioGroup* makeRadioGroup(QWidget* parent, const char* name, const QString& caption,
                           const QStringList& items, const QString& accessibleName,
                           const QString& hint);

// A label showing `text`.
QLabel* makeLabel(QWidget* parent, const char* name, const QString& text);

// A panel that frames a group of controls.
QFrame* makePanel(QWidget* parent, const char* name);

// A part of a column: a widget and how much of the column's growth it takes.
struct ColumnPart {
    QWidget* widget;
    int stretch = 0;
};

// Lays `parts` out in `column` from top to bottom, edge to edge; the layout returned takes more
// below them.
QVBoxLayout* layOutColumn(QWidget* column, const std::vector<ColumnPart>& parts);

} // namespace ql
