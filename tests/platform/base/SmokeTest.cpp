#include "platform/base/Component.h"
#include "platform/base/Exception.h"

#include <gtest/gtest.h>

TEST(ComponentTest, OwnerFreesOwnedComponentsLastFirst)
{
    static std::vector<std::string> freed;
    struct Probe : TComponent {
        explicit Probe(TComponent* o, const char* n) : TComponent(o) { SetName(n); }
        ~Probe() override { freed.push_back(Name()); }
    };
    freed.clear();
    {
        TComponent owner(nullptr);
        new Probe(&owner, "a");
        auto* b = new Probe(&owner, "b");
        new Probe(&owner, "c");
        EXPECT_EQ(owner.FindComponent("B"), b);
        delete b; // detaches itself from its owner
        EXPECT_EQ(owner.ComponentCount(), 2);
    }
    EXPECT_EQ(freed, (std::vector<std::string> { "b", "c", "a" }));
}
