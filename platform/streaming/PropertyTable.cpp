#include "platform/streaming/PropertyTable.h"

#include "platform/streaming/Identifiers.h"
#include "platform/streaming/PlatformProperties.h"

#include <cassert>
#include <map>

TPropertyTable::TPropertyTable(std::vector<TPropertyInfo> properties)
    : FProperties(std::move(properties))
{
}

const TPropertyInfo* TPropertyTable::Find(std::string_view name) const
{
    for (const TPropertyInfo& p : FProperties)
        if (SameIdent(p.Name, name))
            return &p;
    return nullptr;
}

namespace {

std::map<const TClassInfo*, TPropertyTableFunction>& Tables()
{
    static std::map<const TClassInfo*, TPropertyTableFunction> tables;
    static bool platformRegistered = false;
    if (!platformRegistered) {
        platformRegistered = true;
        RegisterPlatformPropertyTables();
    }
    return tables;
}

} // namespace

void RegisterPropertyTable(const TClassInfo& info, TPropertyTableFunction table)
{
    auto [it, inserted] = Tables().emplace(&info, table);
    assert((inserted || it->second == table) && "two property tables for one class");
    (void)it;
    (void)inserted;
}

const TPropertyTable& PublishedProperties(const TClassInfo& info)
{
    static const TPropertyTable empty;
    auto& tables = Tables();
    for (const TClassInfo* c = &info; c; c = c->Parent) {
        auto it = tables.find(c);
        if (it != tables.end())
            return it->second();
    }
    return empty;
}
