#pragma once

#include "platform/com/Guid.h"
#include "platform/com/Result.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <utility>

namespace kelvo {

// The root of every component interface: reference counting and interface queries.
// Objects cross library boundaries only through these virtual calls.
class Unknown {
public:
    static constexpr Guid InterfaceId = GuidLiteral("{00000000-0000-0000-C000-000000000046}");

    // On success *object holds one new reference; on failure it is null.
    virtual ResultCode QueryInterface(const Guid& interfaceId, void** object) = 0;
    virtual std::uint32_t AddRef() = 0;
    virtual std::uint32_t Release() = 0;

protected:
    ~Unknown() = default;
};

// Holds one reference to an interface and releases it when it goes.
template <class Interface> class ComPointer {
public:
    ComPointer() = default;
    ComPointer(std::nullptr_t) {}
    // Takes a new reference of its own.
    explicit ComPointer(Interface* pointer) : pointer_(pointer) {
        if (pointer_)
            pointer_->AddRef();
    }
    ComPointer(const ComPointer& other) : ComPointer(other.pointer_) {}
    ComPointer(ComPointer&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
    ComPointer& operator=(ComPointer other) noexcept {
        std::swap(pointer_, other.pointer_);
        return *this;
    }
    ~ComPointer() { Reset(); }

    // Takes over a reference the caller already owns (an out value of a query).
    static ComPointer Adopt(Interface* pointer) {
        ComPointer result;
        result.pointer_ = pointer;
        return result;
    }

    void Reset() {
        if (pointer_)
            std::exchange(pointer_, nullptr)->Release();
    }

    // For calls that hand out a new reference through a void** argument.
    void** OutPointer() {
        Reset();
        return reinterpret_cast<void**>(&pointer_);
    }

    template <class Other> ResultCode Query(ComPointer<Other>* result) const {
        if (!pointer_)
            return results::NullPointer;
        return pointer_->QueryInterface(Other::InterfaceId, result->OutPointer());
    }

    Interface* Get() const { return pointer_; }
    Interface* operator->() const { return pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }

private:
    Interface* pointer_ = nullptr;
};

// Number of objects alive in this library; a server may be unloaded only at zero.
std::atomic<long>& LiveObjectCount();

// Reference counting and interface queries for a class implementing the listed
// interfaces. Create it with new and hand it straight to a ComPointer.
template <class... Interfaces> class Object : public Interfaces... {
public:
    Object() { ++LiveObjectCount(); }
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    ResultCode QueryInterface(const Guid& interfaceId, void** object) override {
        if (!object)
            return results::NullPointer;
        *object = nullptr;
        if (interfaceId == Unknown::InterfaceId)
            *object = AsUnknown<Interfaces...>();
        else
            static_cast<void>(((interfaceId == Interfaces::InterfaceId
                                    ? (*object = static_cast<Interfaces*>(this), true)
                                    : false) ||
                               ...));
        if (!*object)
            return results::NoInterface;
        AddRef();
        return results::Ok;
    }
    std::uint32_t AddRef() override { return ++references_; }
    std::uint32_t Release() override {
        const std::uint32_t remaining = --references_;
        if (remaining == 0)
            delete this;
        return remaining;
    }

protected:
    virtual ~Object() { --LiveObjectCount(); }

private:
    // Every interface of one object answers the Unknown query with the same pointer.
    template <class First, class...> Unknown* AsUnknown() {
        return static_cast<Unknown*>(static_cast<First*>(this));
    }

    std::atomic<std::uint32_t> references_{0};
};

} // namespace kelvo
