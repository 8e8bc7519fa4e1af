#pragma once
// TComponent: the owned, named building block of forms.
//
// Ownership: a component owns the components created with it as owner and frees them, in the
// reverse order of their insertion, when it is destroyed. An owned component that is destroyed
// first removes itself from its owner. The owner list holds raw pointers only because the owner
// is the single owner that deletes them; nothing else may delete an owned component except
// through delete on the component itself.
//
// State flags: csLoading and csReading while a description is read, csDesigning for a component
// shown in a form designer (tests set it), csDestroying from the start of destruction.

#include "platform/base/Object.h"
#include "platform/base/Set.h"

#include <functional>
#include <vector>

class TReader;

enum TComponentStateFlag { csLoading, csReading, csWriting, csDestroying, csDesigning, csAncestor, csUpdating, csFixups };
using TComponentState = TSet<TComponentStateFlag>;

enum TOperation { opInsert, opRemove };

class TComponent : public TPersistent {
    PK_CLASS(TComponent)
public:
    explicit TComponent(TComponent* AOwner);
    ~TComponent() override;

    TComponent* Owner() const { return FOwner; }
    int ComponentCount() const { return static_cast<int>(FComponents.size()); }
    TComponent* Components(int index) const { return FComponents.at(static_cast<size_t>(index)); }
    // The owned component of that name (compared without regard to ASCII case), or null.
    TComponent* FindComponent(const AnsiString& name) const;

    const AnsiString& Name() const { return FName; }
    virtual void SetName(const AnsiString& name);
    int Tag() const { return FTag; }
    void SetTag(int tag) { FTag = tag; }

    TComponentState ComponentState() const { return FComponentState; }
    bool IsLoading() const { return FComponentState.Contains(csLoading); }
    bool IsDesigning() const { return FComponentState.Contains(csDesigning); }
    bool IsDestroying() const { return FComponentState.Contains(csDestroying); }
    // Sets or clears the designing flag on this component and everything it owns.
    void SetDesigning(bool designing);
    // The form reader sets and clears the loading flags through these.
    void SetLoadingState(bool loading);

    // Called once for every component after a whole description has been read; clears csLoading.
    virtual void Loaded();

    // Streaming hooks. ReadState reads this component's properties and children from a
    // description (a class may do work before or after the properties are assigned);
    // SetParentComponent puts a component read as a nested object under its container (a
    // control's Parent); GetChildren lists the components a writer nests under this one.
    virtual void ReadState(TReader& Reader);
    virtual bool HasParent() const { return false; }
    virtual TComponent* GetParentComponent() const { return nullptr; }
    virtual void SetParentComponent(TComponent* Value);
    virtual void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) const;

    // Frees every owned component now, the last inserted first (derived destructors call it
    // while their own parts still exist).
    void DestroyComponents();

    void InsertComponent(TComponent* component);
    void RemoveComponent(TComponent* component);

protected:
    // Told when a component owned by this one is inserted or removed.
    virtual void Notification(TComponent* component, TOperation operation);
    void SetComponentStateFlag(TComponentStateFlag flag, bool on);

private:
    TComponent* FOwner = nullptr;
    std::vector<TComponent*> FComponents;
    AnsiString FName;
    int FTag = 0;
    TComponentState FComponentState;
};
