#pragma once
// TMethodTableBuilder: how a class declares its published methods and component fields:
//
//   static const TMethodTable& MainFormMethods()
//   {
//       static const TMethodTable table = Methods<TMainForm>()
//           .Method("FormCreate", &TMainForm::FormCreate)
//           .Field("Button1", &TMainForm::Button1);
//       return table;
//   }
//
// A method void (T::*)(Args...) makes events of type TEvent<Args...>; a field is a pointer member
// to a TComponent-derived class.

#include "platform/base/Component.h"
#include "platform/base/Events.h"
#include "platform/streaming/EventTypeName.h"
#include "platform/streaming/MethodTable.h"

#include <cassert>
#include <type_traits>

namespace MethodDetail {

template <class M>
struct MethodTraits;
template <class C, class... A>
struct MethodTraits<void (C::*)(A...)> {
    using Class = C;
    using Event = TEvent<A...>;
};

} // namespace MethodDetail

template <class T>
class TMethodTableBuilder {
public:
    template <class M>
    TMethodTableBuilder& Method(const char* name, M method)
    {
        using Traits = MethodDetail::MethodTraits<M>;
        using C = typename Traits::Class;
        using E = typename Traits::Event;
        static_assert(std::is_base_of_v<C, T>, "the method belongs to the class or an ancestor");
        TPublishedMethod m;
        m.Name = name;
        m.EventType = typeid(E);
        m.EventTypeName = TEventTypeName<E>::Get();
        m.Bind = [method, name](TObject& o) -> std::any { return E(static_cast<C*>(&Cast(o)), method, name); };
        FMethods.push_back(std::move(m));
        return *this;
    }

    template <class F>
    TMethodTableBuilder& Field(const char* name, F field)
    {
        static_assert(std::is_member_object_pointer_v<F>, "Field() takes a pointer to a component member");
        using P = std::remove_cvref_t<std::invoke_result_t<F, T&>>;
        using U = std::remove_pointer_t<P>;
        static_assert(std::is_pointer_v<P> && std::is_base_of_v<TComponent, U>, "a published field points to a component");
        TPublishedField f;
        f.Name = name;
        f.FieldClass = &U::StaticClassInfo();
        f.Assign = [field](TObject& o, TComponent* c) { std::invoke(field, Cast(o)) = static_cast<U*>(c); };
        FFields.push_back(std::move(f));
        return *this;
    }

    operator TMethodTable() const { return TMethodTable(FMethods, FFields); }

private:
    static T& Cast(TObject& o)
    {
        assert(o.InheritsFrom(T::StaticClassInfo()));
        return static_cast<T&>(o);
    }

    std::vector<TPublishedMethod> FMethods;
    std::vector<TPublishedField> FFields;
};

template <class T>
TMethodTableBuilder<T> Methods()
{
    return {};
}
