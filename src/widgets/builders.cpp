#include "widgets/builders.h"

#include "widgets/radiogroup.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QVBoxLayout>

namespace ql {

QCheckBox* makeCheckBox(QWidget* parent, const char* name, const QString& caption,
                        const QString& hint)
{
    auto* box =
        makeControl<QCheckBox>(parent, name, QString(caption).remove(QLatin1Char('&')), hint);
    box->setText(caption);
    return box;
}

RadioGroup* makeRadioGroup(QWidget* parent, const char* name, const QString& caption,
                           const QStringList& items, const QString& accessibleName,
                           const QString& hint)
{
    auto* group = new RadioGroup(caption, items, parent);
    group->setObjectName(QString::fromLatin1(name));
    group->setAccessibleName(accessibleName);
    group->setToolTip(hint);
    return group;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

QFrame* makePanel(QWidget* parent, const char* name)
{
    auto* panel = new QFrame(parent);
    panel->setObjectName(QString::fromLatin1(name));
    panel->setFrameShape(QFrame::StyledPanel);
    return panel;
}

QVBoxLayout* layOutColumn(QWidget* column, const std::vector<ColumnPart>& parts)
{
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    for (const ColumnPart& part : parts)
        layout->addWidget(part.widget, part.stretch);
    return layout;
}

} // namespace ql
