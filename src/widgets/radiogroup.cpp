#include "radiogroup.h"

#include <QGridLayout>
#include <QRadioButton>
#include <algorithm>

namespace ql {

RadioGroup::RadioGroup(const QString& caption, const QStringList& items, QWidget* parent,
                       int columns)
    : QGroupBox(caption, parent)
{
    auto* layout = new QGridLayout(this);
    const int rows = std::max(1, int((items.size() + columns - 1) / columns));
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items.at(i), this);
        m_buttons.addButton(button, i);
        layout->addWidget(button, i % rows, i / rows);
    }
    connect(&m_buttons, &QButtonGroup::idClicked, this, &RadioGroup::clicked);
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
