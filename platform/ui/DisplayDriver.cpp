#include "platform/ui/DisplayDriver.h"

#include <cassert>

namespace {
std::unique_ptr<TDisplayDriver>& Installed()
{
    static std::unique_ptr<TDisplayDriver> driver;
    return driver;
}
}

TDisplayDriver::~TDisplayDriver() = default;

void SetDisplayDriver(std::unique_ptr<TDisplayDriver> driver)
{
    Installed() = std::move(driver);
}

TDisplayDriver& DisplayDriver()
{
    assert(Installed() && "no display driver installed");
    return *Installed();
}

bool HasDisplayDriver()
{
    return Installed() != nullptr;
}
