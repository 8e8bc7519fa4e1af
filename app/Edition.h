#pragma once
// The edition setting: the build chooses the standard or the reverse edition (the compile
// definition PAKKORIN_REVERSE_EDITION); the code is the same, only these texts and the crest differ.

#include "app/EditionTexts.h"

namespace Edition {
#ifdef PAKKORIN_REVERSE_EDITION
inline constexpr bool Reverse = true;
inline constexpr const char* Caption = EditionTexts::ReverseCaption;
inline constexpr const char* SavePrefix = EditionTexts::ReversePrefix;
inline constexpr const char* SavedEnding = EditionTexts::ReverseEnding;
#else
inline constexpr bool Reverse = false;
inline constexpr const char* Caption = EditionTexts::StandardCaption;
inline constexpr const char* SavePrefix = EditionTexts::StandardPrefix;
inline constexpr const char* SavedEnding = EditionTexts::StandardEnding;
#endif
inline constexpr const char* Title = EditionTexts::TitleText;
} // namespace Edition
