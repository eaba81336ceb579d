#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <array>
#include <vector>

// Contacts as vCards: the address book's fields written as a vCard 4.0 and read back from
// vCards 4.0, 3.0 and 2.1.
namespace ql::formats {

// The address book's fields a card carries, in the order of ContactFields.
enum ContactField {
    FirstName,
    LastName,
    Company,
    NickName,
    Address1,
    Address2,
    City1,
    State1,
    Zip1,
    Address3,
    Address4,
    City2,
    State2,
    Zip2,
    PhoneDescription1,
    AreaCode1,
    PhoneNumber1,
    Extension1,
    PhoneDescription2,
    AreaCode2,
    PhoneNumber2,
    Extension2,
    EmailDescription1,
    EmailAddress1,
    EmailDescription2,
    EmailAddress2,
    MemoDescription,
    Memo1,
    Memo2,
    PagerDescription,
    PagerNumber,
    CellPhoneDescription,
    CellPhoneNumber,
    Category,
    Group,
    WebSite1,
    WebSite2,
    kContactFieldCount
};

// The names of those fields in the address book's table.
const QStringList& contactFieldNames();

using ContactView = std::array<QStringView, kContactFieldCount>;
using Contact = std::array<QString, kContactFieldCount>;

// Appends the card of a contact, its lines folded and ending in CR LF, UTF-8.
//
// Where vCard has no place of its own the card says it in parameters other programs pass over:
// a phone's area code and extension (X-AREA-CODE, X-EXTENSION) beside the number written whole,
// and a web site that is no address a program could open as it is, written percent-encoded
// (X-PERCENT-ENCODED). The second address and the second memo keep their place with an empty
// first one; so does the group with an empty category (CATEGORIES:,group).
void appendVCard(QByteArray& out, const ContactView& contact);

// What came of reading a file of cards: the contacts read, and a name and reason for each card
// that could not be read ("card 3 \"Jane Roe\": it does not end").
struct CardsRead {
    std::vector<Contact> contacts;
    QStringList unreadable;
};

// Reads every card of a file. A card's values in another character set than UTF-8 name it in
// CHARSET; quoted-printable values are read in any version. What the address book has no field
// for goes into the second memo, a line each ("TITLE: Engineer"); pictures and sounds are not
// kept. A card that cannot be read as a whole gives no contact at all.
CardsRead readVCards(QByteArrayView file);

} // namespace ql::formats
