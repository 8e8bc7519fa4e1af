#include "platform/streaming/ClassRegistry.h"

#include "platform/streaming/Identifiers.h"

#include <cassert>
#include <map>

namespace {

std::map<std::string, const TClassInfo*>& Classes()
{
    static std::map<std::string, const TClassInfo*> classes;
    return classes;
}

} // namespace

void RegisterClass(const TClassInfo& info)
{
    auto [it, inserted] = Classes().emplace(LowerIdent(info.Name), &info);
    assert((inserted || it->second == &info) && "two classes registered under one name");
    (void)it;
    (void)inserted;
}

void RegisterClasses(std::initializer_list<const TClassInfo*> infos)
{
    for (const TClassInfo* info : infos)
        RegisterClass(*info);
}

const TClassInfo* FindClass(std::string_view name)
{
    auto it = Classes().find(LowerIdent(name));
    return it == Classes().end() ? nullptr : it->second;
}
