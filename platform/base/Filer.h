#pragma once
// The filer interfaces through which components are read from and written to form descriptions.
// The concrete reader and writer of the text description live in platform/streaming; components
// only see these interfaces: TComponent::ReadState hands itself to TReader::ReadData, and a
// persistent object that stores more than its published properties defines extra named values
// through TFiler::DefineProperty (a picture stores its pixels that way).

#include "platform/base/Strings.h"

#include <cstdint>
#include <functional>
#include <vector>

class TComponent;

// A value of a defined (non-published) property: its bytes, or a reference to an embedded resource.
struct TFilerData {
    std::vector<std::uint8_t> Bytes;
    AnsiString ResourceName; // set when the description names an embedded resource instead of bytes
};

class TFiler {
public:
    virtual ~TFiler();
    // Declares a property Name read by Read and written by Write (when HasData is true).
    virtual void DefineProperty(const AnsiString& Name, const std::function<void(const TFilerData&)>& Read,
        const std::function<TFilerData()>& Write, bool HasData)
        = 0;
};

class TReader : public TFiler {
public:
    // Reads the properties and children of Instance from the description at the reader's position.
    virtual void ReadData(TComponent* Instance) = 0;
    // The component at the root of what is being read (the form).
    virtual TComponent* Root() const = 0;
};

class TWriter : public TFiler {
};
