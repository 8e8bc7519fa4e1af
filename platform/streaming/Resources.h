#pragma once
// Embedded resources: named byte blocks built into the program (the crest bitmap, say), so that
// nothing is read from data files at run time. Form descriptions name them as `resource 'NAME'`.
// The registry keeps the span only: the bytes must live as long as the program (the arrays that
// pakkorin_embed generates do). Names are compared without regard to ASCII case.

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

// Registering a second block under a name already taken is a programming error.
void RegisterResource(std::string_view name, std::span<const std::uint8_t> bytes);
std::optional<std::span<const std::uint8_t>> FindResource(std::string_view name);
