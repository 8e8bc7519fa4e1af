#include "platform/ui/FormReader.h"

#include "platform/base/Exception.h"
#include "platform/streaming/DescriptionReader.h"
#include "platform/streaming/Resources.h"

#include <string_view>

void ReadFormDescription(TComponent* Root, const AnsiString& resourceName)
{
    auto bytes = FindResource(resourceName);
    if (!bytes)
        throw Exception("Resource " + resourceName + " not found");
    std::string_view text(reinterpret_cast<const char*>(bytes->data()), bytes->size());
    ReadRootComponent(Root, text);
}
