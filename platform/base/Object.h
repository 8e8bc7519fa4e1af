#pragma once
// TObject and TPersistent: the root of the platform's class tree.
//
// Every class that the form reader, the class registry or an assignment error must name carries
// a TClassInfo (its name, its parent's info and, for components, a factory), declared with
// PK_CLASS inside the class and defined with PK_CLASS_IMPL in its source file.
//
// TPersistent gives the two-way assignment of the class library: Assign(Source) copies Source into
// this object; a class that does not know Source's class hands over to Source->AssignTo(this),
// which a class overrides to copy itself into destinations it knows; if neither knows the other,
// the assignment error (EConvertError) is raised.

#include "platform/base/Strings.h"

class TComponent;
class TFiler;

struct TClassInfo {
    const char* Name;
    const TClassInfo* Parent;
    // Creates an instance with the given owner; null for classes that are not components.
    TComponent* (*Create)(TComponent* owner);

    bool InheritsFrom(const TClassInfo& other) const
    {
        for (const TClassInfo* c = this; c; c = c->Parent)
            if (c == &other)
                return true;
        return false;
    }
};

#define PK_CLASS(Class)                             \
public:                                             \
    static const TClassInfo& StaticClassInfo();     \
    const TClassInfo& ClassInfo() const override;   \
                                                    \
private:

// Defines the class info of Class with parent Parent; Factory is a function creating an
// instance from an owner, or nullptr.
#define PK_CLASS_IMPL(Class, Parent, Factory)                                         \
    const TClassInfo& Class::StaticClassInfo()                                        \
    {                                                                                 \
        static const TClassInfo info { #Class, &Parent::StaticClassInfo(), Factory }; \
        return info;                                                                  \
    }                                                                                 \
    const TClassInfo& Class::ClassInfo() const { return StaticClassInfo(); }

// A factory for component classes whose constructor takes the owner.
template <class T>
TComponent* CreateComponent(TComponent* owner)
{
    return new T(owner);
}

class TObject {
public:
    TObject() = default;
    virtual ~TObject();
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;

    static const TClassInfo& StaticClassInfo();
    virtual const TClassInfo& ClassInfo() const;
    AnsiString ClassName() const { return ClassInfo().Name; }
    bool InheritsFrom(const TClassInfo& info) const { return ClassInfo().InheritsFrom(info); }
};

class TPersistent : public TObject {
    PK_CLASS(TPersistent)
public:
    // Copies Source into this object. The base implementation asks Source to copy itself in
    // (AssignTo) and raises the assignment error when Source is null or does not know this class.
    virtual void Assign(const TPersistent* Source);

    // Lets a class store data that is not a published property (a picture's pixels, say): the
    // form reader and writer call it with their filer, which offers DefineProperty hooks.
    virtual void DefineProperties(TFiler& Filer);

protected:
    // Copies this object into Dest; the base implementation raises the assignment error.
    virtual void AssignTo(TPersistent* Dest) const;
    void AssignError(const TPersistent* Source) const;
};
