#include "widgets/radiogroup.h"

#include <QGridLayout>
#include <QRadioButton>
#include <algorithm>

namespace ql {

RadioGroup::RadioGroup(const QString& caption, const QStringList& items, QWidget* parent,
                       int columns)
    : QGroupBox(caption, parent)
    , m_columns(columns)
{
    new QGridLayout(this);
    setItems(items);
    connect(&m_buttons, &QButtonGroup::idClicked, this, &RadioGroup::clicked);
}

void RadioGroup::setItems(const QStringList& items)
{
    for (QAbstractButton* button : m_buttons.buttons()) {
        m_buttons.removeButton(button);
        delete button;
    }
    auto* grid = static_cast<QGridLayout*>(layout());
    const int rows = std::max(1, int((items.size() + m_columns - 1) / m_columns));
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items.at(i), this);
        m_buttons.addButton(button, i);
        grid->addWidget(button, i % rows, i / rows);
    }
}

void RadioGroup::setItemIndex(int index)
{
    if (QAbstractButton* b = m_buttons.button(index))
        b->setChecked(true);
}

QRadioButton* RadioGroup::button(int index) const
{
    return qobject_cast<QRadioButton*>(m_buttons.button(index));
}

} // namespace ql
