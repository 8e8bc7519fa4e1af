#pragma once
// Method-reference events: an event holds a method bound to the object it belongs to (the class
// library's "procedure of object"), or any callable for code that has no object. The name of
// a published method bound by the form reader is kept, so that a writer can store the binding
// by name again.

#include <functional>
#include <utility>

class TObject;

template <class... Args>
class TEvent {
public:
    TEvent() = default;
    TEvent(std::nullptr_t) { }

    template <class T>
    TEvent(T* object, void (T::*method)(Args...), const char* methodName = nullptr)
        : FCall([object, method](Args... args) { (object->*method)(std::forward<Args>(args)...); })
        , FData(object)
        , FMethodName(methodName)
    {
    }

    template <class F, class = std::enable_if_t<std::is_invocable_v<F&, Args...> && !std::is_same_v<std::decay_t<F>, TEvent>>>
    TEvent(F callable)
        : FCall(std::move(callable))
    {
    }

    explicit operator bool() const { return static_cast<bool>(FCall); }
    void operator()(Args... args) const
    {
        if (FCall)
            FCall(std::forward<Args>(args)...);
    }

    // The object the method belongs to (null for plain callables).
    TObject* Data() const { return FData; }
    // The published method's name when the binding was made by name, else null.
    const char* MethodName() const { return FMethodName; }
    void SetMethodName(const char* name) { FMethodName = name; }

private:
    std::function<void(Args...)> FCall;
    TObject* FData = nullptr;
    const char* FMethodName = nullptr;
};

using TNotifyEvent = TEvent<TObject*>;
