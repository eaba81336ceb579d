#pragma once

#include <QButtonGroup>
#include <QGroupBox>
#include <QStringList>

class QRadioButton;

namespace ql {

// A captioned group of radio buttons, one item chosen at a time, addressed by item index. The
// items fill the columns one after the other, top to bottom.
class RadioGroup : public QGroupBox {
    Q_OBJECT
public:
    RadioGroup(const QString& caption, const QStringList& items, QWidget* parent = nullptr,
               int columns = 1);

    // Replaces the items by others, none of them chosen.
    void setItems(const QStringList& items);
    // -1 while none is chosen.
    int itemIndex() const { return m_buttons.checkedId(); }
    // Chooses an item without reporting a click.
    void setItemIndex(int index);
    QRadioButton* button(int index) const;
    int count() const { return int(m_buttons.buttons().size()); }

Q_SIGNALS:
    // The user chose an item (also one that was chosen already).
    void clicked(int index);

private:
    QButtonGroup m_buttons;
    int m_columns;
};

} // namespace ql
