#include "platform/streaming/Resources.h"

#include "platform/streaming/Identifiers.h"

#include <cassert>
#include <map>
#include <string>

namespace {

// Filled from static initialisers of generated sources, so it is built on first use.
std::map<std::string, std::span<const std::uint8_t>>& Registry()
{
    static std::map<std::string, std::span<const std::uint8_t>> resources;
    return resources;
}

} // namespace

void RegisterResource(std::string_view name, std::span<const std::uint8_t> bytes)
{
    auto [it, inserted] = Registry().emplace(LowerIdent(name), bytes);
    assert((inserted || (it->second.data() == bytes.data() && it->second.size() == bytes.size()))
        && "two resources registered under one name");
    (void)it;
    (void)inserted;
}

std::optional<std::span<const std::uint8_t>> FindResource(std::string_view name)
{
    auto it = Registry().find(LowerIdent(name));
    if (it == Registry().end())
        return std::nullopt;
    return it->second;
}
