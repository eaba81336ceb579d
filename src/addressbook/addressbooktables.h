#pragma once

#include "store/tableholder.h"

namespace ql {

// The address book.
class AddressBookTables : public TableHolder {
    Q_OBJECT
public:
    // Whether the holder opens its table when it is made; a table the program started without
    // stays closed until openTables.
    enum class Opening { Open, Closed };
    explicit AddressBookTables(Session& session, QObject* owner = nullptr,
                               Opening opening = Opening::Open);

    Table* tbNames;
    DataSource* dsNames;

    // FirstLastCompany: first name, a blank and last name; the company when both names are
    // empty; cut to the field's 20 characters.
    void tbNamesCalcFields(Record& record) const;

private:
    // Where the fields FirstLastCompany is made of stand in tbNames, found once.
    int m_firstName = -1;
    int m_lastName = -1;
    int m_company = -1;
    int m_firstLastCompany = -1;
};

} // namespace ql
