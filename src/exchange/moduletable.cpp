#include "exchange/moduletable.h"

#include "addressbook/addressbooktables.h"
#include "collections/collectionstables.h"
#include "journal/journaltables.h"
#include "userdefined/userdefinedtables.h"

namespace ql::exchange {
namespace {

template <typename Holder> HeldTable open(Table* Holder::*table)
{
    auto holder = std::make_unique<Holder>();
    Table* opened = holder.get()->*table;
    return {std::move(holder), opened};
}

} // namespace

HeldTable openTable(Module module)
{
    switch (module) {
    case Module::Organizer:
        return open(&AddressBookTables::tbNames);
    case Module::Journal:
        return open(&JournalTables::tbJournal1);
    case Module::ToDo:
        return open(&ToDoTables::tbTodo);
    case Module::CD:
        return open(&CollectionsTables::tbCD);
    case Module::CDR:
        return open(&CollectionsTables::tbCDR);
    case Module::Tapes:
        return open(&CollectionsTables::tbTapes);
    case Module::Books:
        return open(&CollectionsTables::tbBooks);
    case Module::UserDefined:
        break;
    }
    return open(&UserDefinedTables::tbUserDefined);
}

} // namespace ql::exchange
