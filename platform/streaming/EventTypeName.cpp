#include "platform/streaming/EventTypeName.h"

#include <cstdlib>
#include <cxxabi.h>
#include <memory>

AnsiString DemangledTypeName(const std::type_info& type)
{
    int status = 0;
    std::unique_ptr<char, decltype(&std::free)> name(abi::__cxa_demangle(type.name(), nullptr, nullptr, &status), &std::free);
    return status == 0 && name ? AnsiString(name.get()) : AnsiString(type.name());
}
