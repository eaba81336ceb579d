#include "exchange/moduletable.h"

#include "store/collectionsdata.h"
#include "store/holders.h"

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
        return open(&TDataModule1::tbNames);
    case Module::Journal:
        return open(&TDataModule2::tbJournal1);
    case Module::ToDo:
        return open(&TDataModule4::tbTodo);
    case Module::CD:
        return open(&TDataModule3::tbCD);
    case Module::CDR:
        return open(&TDataModule3::tbCDR);
    case Module::Tapes:
        return open(&TDataModule3::tbTapes);
    case Module::Books:
        return open(&TDataModule3::tbBooks);
    case Module::UserDefined:
        break;
    }
    return open(&TDataModule8::tbUserDefined);
}

} // namespace ql::exchange
