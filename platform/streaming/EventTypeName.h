#pragma once
// Readable names of event types for the reader's messages ("method X is a TEvent<TObject*, int>
// handler; OnClick is a TNotifyEvent"). Layers that give an event type a name of its own
// specialise TEventTypeName for it.

#include "platform/base/Events.h"
#include "platform/base/Strings.h"

#include <typeinfo>

AnsiString DemangledTypeName(const std::type_info& type);

template <class E>
struct TEventTypeName {
    static AnsiString Get() { return DemangledTypeName(typeid(E)); }
};

template <>
struct TEventTypeName<TNotifyEvent> {
    static AnsiString Get() { return "TNotifyEvent"; }
};
