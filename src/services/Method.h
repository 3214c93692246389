#pragma once

#include <cstring>
#include <type_traits>
#include <utility>

namespace kalido {

template <class Signature> class TMethod;

// A callback bound to an object: a member function (or a plain function taking the object
// first) together with the object it is called on. Two callbacks are equal when both their code
// and their object are equal, so a subscription made with one can be found again with an equal
// one, and all callbacks of one object can be found by the object alone.
//
// The object is kept as the address it was given with; pass the same pointer type when you look
// callbacks up by object. Nothing is owned: the object must outlive the callback's use.
template <class... Args> class TMethod<void(Args...)>
{
    struct Probe;
    using AnyMember = void (Probe::*)();

public:
    TMethod() = default;

    template <class Obj, class C>
    requires std::is_base_of_v<C, Obj> TMethod(Obj *object, void (C::*method)(Args...))
        : object_(object), invoke_(&callMember<Obj, decltype(method)>)
    {
        storeCode(method);
    }

    template <class Obj, class C>
    requires std::is_base_of_v<C, Obj> TMethod(const Obj *object, void (C::*method)(Args...) const)
        : object_(const_cast<Obj *>(object)), invoke_(&callConstMember<Obj, decltype(method)>)
    {
        storeCode(method);
    }

    template <class Obj>
    TMethod(Obj *object, void (*function)(Obj *, Args...)) : object_(object), invoke_(&callFunction<Obj>)
    {
        storeCode(function);
    }

    void operator()(Args... args) const
    {
        if (invoke_)
            invoke_(*this, std::forward<Args>(args)...);
    }

    explicit operator bool() const { return invoke_ != nullptr; }
    // The object the callback is bound to.
    const void *Object() const { return object_; }

    friend bool operator==(const TMethod &a, const TMethod &b)
    {
        return a.invoke_ == b.invoke_ && a.object_ == b.object_ &&
               std::memcmp(a.code_, b.code_, sizeof a.code_) == 0;
    }

private:
    template <class Code> void storeCode(Code code)
    {
        static_assert(sizeof(Code) <= sizeof(code_) && std::is_trivially_copyable_v<Code>);
        std::memcpy(code_, &code, sizeof code);
    }

    template <class Code> Code loadCode() const
    {
        Code code;
        std::memcpy(&code, code_, sizeof code);
        return code;
    }

    template <class Obj, class Member> static void callMember(const TMethod &m, Args... args)
    {
        (static_cast<Obj *>(m.object_)->*m.loadCode<Member>())(std::forward<Args>(args)...);
    }

    template <class Obj, class Member> static void callConstMember(const TMethod &m, Args... args)
    {
        (static_cast<const Obj *>(m.object_)->*m.loadCode<Member>())(std::forward<Args>(args)...);
    }

    template <class Obj> static void callFunction(const TMethod &m, Args... args)
    {
        m.loadCode<void (*)(Obj *, Args...)>()(static_cast<Obj *>(m.object_), std::forward<Args>(args)...);
    }

    alignas(AnyMember) unsigned char code_[sizeof(AnyMember)] = {};
    void *object_ = nullptr;
    void (*invoke_)(const TMethod &, Args...) = nullptr;
};

} // namespace kalido
