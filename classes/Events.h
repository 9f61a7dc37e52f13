#pragma once
// Event properties. A handler is a method of some class together with the object it
// is called on (its receiver). TMethod holds one without knowing its class; TEvent
// is the typed event property that calls it:
//
//     TNotifyEvent OnClick;
//     OnClick = TNotifyEvent(form, &TMainForm::ButtonClick);
//     if (OnClick) OnClick(this);
//
// Two handlers are equal when they call the same method on the same receiver. The
// form reader binds published methods by name; it checks that the method fits the
// event's signature (the signature is part of every handler).

#include <cassert>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <type_traits>
#include <utility>

#include "classes/Rect.h"
#include "classes/TypeInfo.h"
#include "runtime/String.h"

namespace orvalis {

template <class Signature>
class TEvent;

class TObject;

// The argument types of the framework's events.

enum TCloseAction : std::uint8_t { closeNone = 0, closeHide = 1, closeFree = 2, closeMinimize = 3 };

// A key message: its number, the 16-bit key code and the 32-bit key data.
struct TWMKey {
    std::uint32_t Msg = 0;
    std::uint16_t CharCode = 0;
    std::int32_t KeyData = 0;
};

enum TProgressStage : std::uint8_t { progressStarting = 0, progressRunning = 1, progressEnding = 2 };

// The description of an event type: its kind is kindMethod and its identity (the
// address) stands for the signature.
template <class Signature>
inline constexpr std::string_view kEventTypeName = "TMethod";
template <>
inline constexpr std::string_view kEventTypeName<void(TObject*)> = "TNotifyEvent";
template <>
inline constexpr std::string_view kEventTypeName<void(TObject*, TCloseAction&)> = "TCloseEvent";
template <>
inline constexpr std::string_view kEventTypeName<void(TObject*, char32_t&)> = "TKeyPressEvent";
template <>
inline constexpr std::string_view kEventTypeName<void(TWMKey&, bool&)> = "TShortCutEvent";
template <>
inline constexpr std::string_view kEventTypeName<void(TObject*, bool&)> = "TCloseQueryEvent";
template <>
inline constexpr std::string_view
    kEventTypeName<void(TObject*, TProgressStage, std::uint8_t, bool, const TRect&, const String&)> = "TProgressEvent";

template <class Signature>
inline constexpr TTypeInfo kEventType = SimpleType(kindMethod, kEventTypeName<Signature>);

template <class Signature>
const TTypeInfo& DescribeType(TypeTag<TEvent<Signature>>) {
    return kEventType<Signature>;
}

// A handler without its signature in the C++ type; empty by default.
class TMethod {
public:
    TMethod() = default;

    // `method` of class C (or of a base of C) called on `receiver`.
    template <class R, class C, class... Args>
    static TMethod Bind(R* receiver, void (C::*method)(Args...));

    bool IsAssigned() const { return invoke_ != nullptr; }
    // The event type this handler fits; null when empty.
    const TTypeInfo* Signature() const { return signature_; }
    const void* Receiver() const { return receiver_; }

    friend bool operator==(const TMethod& a, const TMethod& b) {
        return a.invoke_ == b.invoke_ && a.receiver_ == b.receiver_ &&
               std::memcmp(a.code_.bytes, b.code_.bytes, sizeof a.code_.bytes) == 0;
    }

private:
    template <class>
    friend class TEvent;

    // The member function pointer, kept as bytes; only the typed invoker reads it.
    struct Code {
        alignas(void*) unsigned char bytes[2 * sizeof(void*)] = {};
    };
    using ErasedInvoker = void (*)();

    ErasedInvoker invoke_ = nullptr;
    Code code_;
    void* receiver_ = nullptr;
    const TTypeInfo* signature_ = nullptr;
};

template <class... Args>
class TEvent<void(Args...)> {
public:
    TEvent() = default;
    template <class R, class C>
    TEvent(R* receiver, void (C::*method)(Args...)) : method_(TMethod::Bind(receiver, method)) {}

    // A handler known to have this event's signature (see TMethod::Signature).
    static TEvent FromMethod(const TMethod& method) {
        assert((!method.IsAssigned() ||
                method.Signature() == &kEventType<void(Args...)>)&&"a handler of another signature");
        TEvent event;
        event.method_ = method;
        return event;
    }

    explicit operator bool() const { return method_.IsAssigned(); }
    void operator()(Args... args) const {
        assert(method_.IsAssigned() && "calling an empty event");
        reinterpret_cast<Invoker>(method_.invoke_)(method_.receiver_, method_.code_, std::forward<Args>(args)...);
    }
    const TMethod& Method() const { return method_; }

    friend bool operator==(const TEvent& a, const TEvent& b) { return a.method_ == b.method_; }

private:
    friend class TMethod;
    using Invoker = void (*)(void* receiver, const TMethod::Code& code, Args... args);

    template <class C>
    static void Invoke(void* receiver, const TMethod::Code& code, Args... args) {
        void (C::*method)(Args...);
        std::memcpy(&method, code.bytes, sizeof method);
        (static_cast<C*>(receiver)->*method)(std::forward<Args>(args)...);
    }

    TMethod method_;
};

template <class R, class C, class... Args>
TMethod TMethod::Bind(R* receiver, void (C::*method)(Args...)) {
    static_assert(std::is_base_of_v<C, R>, "the receiver must have the method");
    static_assert(sizeof method <= sizeof(Code), "member function pointers larger than expected");
    assert(receiver && method && "a handler needs a method and a receiver");
    TMethod result;
    C* object = receiver;
    result.receiver_ = object;
    std::memcpy(result.code_.bytes, &method, sizeof method);
    result.invoke_ = reinterpret_cast<ErasedInvoker>(&TEvent<void(Args...)>::template Invoke<C>);
    result.signature_ = &kEventType<void(Args...)>;
    return result;
}

// The event types of the framework.
using TNotifyEvent = TEvent<void(TObject* Sender)>;
using TCloseEvent = TEvent<void(TObject* Sender, TCloseAction& Action)>;
// Key characters are Unicode code points; setting Key to 0 swallows the key.
using TKeyPressEvent = TEvent<void(TObject* Sender, char32_t& Key)>;
using TShortCutEvent = TEvent<void(TWMKey& Msg, bool& Handled)>;
using TCloseQueryEvent = TEvent<void(TObject* Sender, bool& CanClose)>;
using TProgressEvent = TEvent<void(TObject* Sender, TProgressStage Stage, std::uint8_t PercentDone, bool RedrawNow,
                                   const TRect& R, const String& Msg)>;

}  // namespace orvalis
