#include "platform/base/Object.h"

#include "platform/base/Exception.h"

TObject::~TObject() = default;

const TClassInfo& TObject::StaticClassInfo()
{
    static const TClassInfo info { "TObject", nullptr, nullptr };
    return info;
}

const TClassInfo& TObject::ClassInfo() const
{
    return StaticClassInfo();
}

PK_CLASS_IMPL(TPersistent, TObject, nullptr)

void TPersistent::Assign(const TPersistent* Source)
{
    if (Source) {
        Source->AssignTo(this);
        return;
    }
    AssignError(nullptr);
}

void TPersistent::DefineProperties(TFiler&)
{
}

void TPersistent::AssignTo(TPersistent* Dest) const
{
    Dest->AssignError(this);
}

void TPersistent::AssignError(const TPersistent* Source) const
{
    throw EConvertError::AssignError(Source ? Source->ClassName() : AnsiString("nil"), ClassName());
}

#include "platform/base/Filer.h"

TFiler::~TFiler() = default;
