#include "platform/base/Component.h"

#include <algorithm>
#include <cctype>

PK_CLASS_IMPL(TComponent, TPersistent, &CreateComponent<TComponent>)

TComponent::TComponent(TComponent* AOwner)
{
    if (AOwner)
        AOwner->InsertComponent(this);
}

TComponent::~TComponent()
{
    FComponentState.Include(csDestroying);
    DestroyComponents();
    if (FOwner)
        FOwner->RemoveComponent(this);
}

void TComponent::DestroyComponents()
{
    // The last inserted goes first; each one's destructor detaches it from this owner.
    while (!FComponents.empty()) {
        TComponent* last = FComponents.back();
        delete last;
        if (!FComponents.empty() && FComponents.back() == last)
            FComponents.pop_back();
    }
}

static bool SameTextAscii(const AnsiString& a, const AnsiString& b)
{
    return a.size() == b.size()
        && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

TComponent* TComponent::FindComponent(const AnsiString& name) const
{
    if (name.empty())
        return nullptr;
    for (TComponent* c : FComponents)
        if (SameTextAscii(c->FName, name))
            return c;
    return nullptr;
}

void TComponent::SetName(const AnsiString& name)
{
    FName = name;
}

void TComponent::SetDesigning(bool designing)
{
    SetComponentStateFlag(csDesigning, designing);
    for (TComponent* c : FComponents)
        c->SetDesigning(designing);
}

void TComponent::SetLoadingState(bool loading)
{
    SetComponentStateFlag(csLoading, loading);
    SetComponentStateFlag(csReading, loading);
}

void TComponent::Loaded()
{
    FComponentState.Exclude(csLoading);
}

void TComponent::InsertComponent(TComponent* component)
{
    if (component->FOwner)
        component->FOwner->RemoveComponent(component);
    component->FOwner = this;
    FComponents.push_back(component);
    Notification(component, opInsert);
}

void TComponent::RemoveComponent(TComponent* component)
{
    auto it = std::find(FComponents.begin(), FComponents.end(), component);
    if (it == FComponents.end())
        return;
    Notification(component, opRemove);
    FComponents.erase(it);
    component->FOwner = nullptr;
}

void TComponent::Notification(TComponent*, TOperation)
{
}

void TComponent::SetComponentStateFlag(TComponentStateFlag flag, bool on)
{
    if (on)
        FComponentState.Include(flag);
    else
        FComponentState.Exclude(flag);
}

void TComponent::SetParentComponent(TComponent*)
{
}

void TComponent::GetChildren(const std::function<void(TComponent*)>&, TComponent*) const
{
}

#include "platform/base/Filer.h"

void TComponent::ReadState(TReader& Reader)
{
    Reader.ReadData(this);
}
