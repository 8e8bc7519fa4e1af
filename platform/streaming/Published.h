#pragma once
// What a class author includes to publish a class: the property and method table builders and
// TPublishedRegistration, a static object in the class's own source file that registers the
// tables (that file is linked whenever the class is used, so the registration is never dropped):
//
//   static const TPublishedRegistration MyButtonPublished(TMyButton::StaticClassInfo(), MyButtonProperties);

#include "platform/streaming/Methods.h"
#include "platform/streaming/Properties.h"

struct TPublishedRegistration {
    TPublishedRegistration(const TClassInfo& info, TPropertyTableFunction properties, TMethodTableFunction methods = nullptr)
    {
        if (properties)
            RegisterPropertyTable(info, properties);
        if (methods)
            RegisterMethodTable(info, methods);
    }
};
