#pragma once

#include "platform/com/Unknown.h"

namespace kelvo {

// Creates the objects of one class; a library hands one out per class id.
class ClassFactory : public Unknown {
public:
    static constexpr Guid InterfaceId = GuidLiteral("{00000001-0000-0000-C000-000000000046}");

    virtual ResultCode CreateInstance(const Guid& interfaceId, void** object) = 0;

protected:
    ~ClassFactory() = default;
};

// A factory that calls one creation function.
class FunctionClassFactory final : public Object<ClassFactory> {
public:
    using CreateFunction = ResultCode (*)(const Guid& interfaceId, void** object);

    explicit FunctionClassFactory(CreateFunction create) : create_(create) {}

    ResultCode CreateInstance(const Guid& interfaceId, void** object) override {
        if (!object)
            return results::NullPointer;
        *object = nullptr;
        return create_(interfaceId, object);
    }

private:
    CreateFunction create_;
};

// Creates an object of a class and queries the asked interface from it.
template <class Class> ResultCode CreateAndQuery(const Guid& interfaceId, void** object) {
    ComPointer<Class> instance(new Class);
    return instance->QueryInterface(interfaceId, object);
}

} // namespace kelvo
