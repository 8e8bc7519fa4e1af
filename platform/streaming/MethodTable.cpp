#include "platform/streaming/MethodTable.h"

#include "platform/streaming/Identifiers.h"

#include <cassert>
#include <map>

TMethodTable::TMethodTable(std::vector<TPublishedMethod> methods, std::vector<TPublishedField> fields)
    : FMethods(std::move(methods))
    , FFields(std::move(fields))
{
}

const TPublishedMethod* TMethodTable::FindMethod(std::string_view name) const
{
    for (const TPublishedMethod& m : FMethods)
        if (SameIdent(m.Name, name))
            return &m;
    return nullptr;
}

const TPublishedField* TMethodTable::FindField(std::string_view name) const
{
    for (const TPublishedField& f : FFields)
        if (SameIdent(f.Name, name))
            return &f;
    return nullptr;
}

namespace {

std::map<const TClassInfo*, TMethodTableFunction>& Tables()
{
    static std::map<const TClassInfo*, TMethodTableFunction> tables;
    return tables;
}

template <class Entry, class Find>
const Entry* FindInChain(const TClassInfo& info, Find find)
{
    for (const TClassInfo* c = &info; c; c = c->Parent) {
        auto it = Tables().find(c);
        if (it == Tables().end())
            continue;
        if (const Entry* e = find(it->second()))
            return e;
    }
    return nullptr;
}

} // namespace

void RegisterMethodTable(const TClassInfo& info, TMethodTableFunction table)
{
    auto [it, inserted] = Tables().emplace(&info, table);
    assert((inserted || it->second == table) && "two method tables for one class");
    (void)it;
    (void)inserted;
}

const TPublishedMethod* FindPublishedMethod(const TClassInfo& info, std::string_view name)
{
    return FindInChain<TPublishedMethod>(info, [&](const TMethodTable& t) { return t.FindMethod(name); });
}

const TPublishedField* FindPublishedField(const TClassInfo& info, std::string_view name)
{
    return FindInChain<TPublishedField>(info, [&](const TMethodTable& t) { return t.FindField(name); });
}
