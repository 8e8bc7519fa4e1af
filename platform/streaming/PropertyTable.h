#pragma once
// TPropertyTable: the ordered published properties of a class, inherited ones first in their
// parent's order, then the class's own (see TPropertyTableBuilder). Lookup by name ignores ASCII
// case. A table is built once, by a function returning a static table, and registered under the
// class's TClassInfo; a class without a table of its own publishes its nearest ancestor's.

#include "platform/streaming/PropertyInfo.h"

#include <span>
#include <string_view>
#include <vector>

class TPropertyTable {
public:
    TPropertyTable() = default;
    explicit TPropertyTable(std::vector<TPropertyInfo> properties);

    const TPropertyInfo* Find(std::string_view name) const;
    std::span<const TPropertyInfo> Properties() const { return FProperties; }
    auto begin() const { return FProperties.begin(); }
    auto end() const { return FProperties.end(); }

private:
    std::vector<TPropertyInfo> FProperties;
};

using TPropertyTableFunction = const TPropertyTable& (*)();

// The table function is called on first use, after static initialisation, so a table may
// inherit from a parent registered in another source file.
void RegisterPropertyTable(const TClassInfo& info, TPropertyTableFunction table);
// The table of info's class or of its nearest ancestor that has one (an empty table if none).
const TPropertyTable& PublishedProperties(const TClassInfo& info);
