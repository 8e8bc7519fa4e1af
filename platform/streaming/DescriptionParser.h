#pragma once
// The syntax tree of a form description: what ParseDescription makes of the text before any
// object is created, so that a description with a syntax error creates nothing. Texts are kept
// as written (UTF-8); the reader converts strings to the active code page when it assigns them.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct TDescriptionValue {
    enum TType { dvInteger, dvString, dvIdent, dvSet, dvBytes, dvResource };
    TType Type = dvInteger;
    int Line = 0;
    long long Integer = 0;
    std::string Text; // a string, an identifier, a resource name
    std::vector<std::string> Items; // a set's identifiers
    std::vector<std::uint8_t> Bytes;
};

struct TDescriptionProperty {
    int Line = 0;
    std::vector<std::string> Path; // Font.Height is { "Font", "Height" }
    TDescriptionValue Value;

    std::string DottedName() const;
};

struct TDescriptionObject {
    int Line = 0;
    std::string Name; // empty for an unnamed object
    std::string ClassName;
    std::vector<TDescriptionProperty> Properties;
    std::vector<std::unique_ptr<TDescriptionObject>> Children;
};

// Raises EReadError ("line N: ...") on any syntax error.
std::unique_ptr<TDescriptionObject> ParseDescription(std::string_view utf8);
