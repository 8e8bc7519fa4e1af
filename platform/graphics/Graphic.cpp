#include "platform/graphics/Graphic.h"

#include "platform/base/Exception.h"

PK_CLASS_IMPL(TGraphic, TPersistent, nullptr)

TGraphic::TGraphic() = default;
TGraphic::~TGraphic() = default;

void TGraphic::SetTransparent(bool transparent)
{
    if (transparent == FTransparent)
        return;
    FTransparent = transparent;
    Changed(this);
}

void TGraphic::SetModified(bool modified)
{
    if (modified)
        Changed(this);
    else
        FModified = false;
}

void TGraphic::LoadFromBytes(std::span<const std::uint8_t>)
{
    throw EInvalidGraphic();
}

std::vector<std::uint8_t> TGraphic::SaveToBytes() const
{
    throw EInvalidGraphic();
}

void TGraphic::Changed(TObject*)
{
    FModified = true;
    OnChange(this);
}
