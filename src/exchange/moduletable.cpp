#include "exchange/moduletable.h"

#include "addressbook/addressbooktables.h"
#include "collections/collectionstables.h"
#include "journal/journaltables.h"
#include "userdefined/userdefinedtables.h"

namespace ql::exchange {
namespace {

template <typename Holder> HeldTable open(Session& session, Table* Holder::*table)
{
    auto holder = std::make_unique<Holder>(session);
    Table* opened = holder.get()->*table;
    return {std::move(holder), opened};
}

} // namespace

HeldTable openTable(Session& session, Module module)
{
    switch (module) {
    case Module::Organizer:
        return open(session, &AddressBookTables::tbNames);
    case Module::Journal:
        return open(session, &JournalTables::tbJournal1);
    case Module::ToDo:
        return open(session, &ToDoTables::tbTodo);
    case Module::CD:
        return open(session, &CollectionsTables::tbCD);
    case Module::CDR:
        return open(session, &CollectionsTables::tbCDR);
    case Module::Tapes:
        return open(session, &CollectionsTables::tbTapes);
    case Module::Books:
        return open(session, &CollectionsTables::tbBooks);
    case Module::UserDefined:
        break;
    }
    return open(session, &UserDefinedTables::tbUserDefined);
}

} // namespace ql::exchange
