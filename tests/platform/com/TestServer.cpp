// A small component library for the layer's tests: one class, a counter with
// one method and one property, registered under "Kelvo.TestCounter".

#include "platform/com/ClassFactory.h"
#include "platform/com/Registry.h"
#include "platform/com/ServerExports.h"
#include "platform/com/ServerLibrary.h"
#include "platform/com/Variant.h"
#include "tests/platform/com/TestServerIds.h"

using namespace kelvo;

namespace {

class Counter final : public Object<Dispatch> {
public:
    ResultCode Invoke(std::int32_t dispatchId, InvokeKind kind, std::span<Variant> arguments,
                      Variant* result) override {
        if (dispatchId == test_server::AddMember && kind == InvokeKind::Method) {
            if (ResultCode check = ExpectArguments(arguments, 1); Failed(check))
                return check;
            std::int32_t amount = 0;
            if (ResultCode check = arguments[0].ToInteger(&amount); Failed(check))
                return check;
            total_ += amount;
            if (result)
                *result = Variant(total_);
            return results::Ok;
        }
        if (dispatchId == test_server::NameMember && kind == InvokeKind::Method) {
            if (ResultCode check = ExpectArguments(arguments, 1); Failed(check))
                return check;
            std::string* text = nullptr;
            if (ResultCode check = arguments[0].ToTextReference(&text); Failed(check))
                return check;
            *text += " counted";
            return results::Ok;
        }
        return results::MemberNotFound;
    }

private:
    std::int32_t total_ = 0;
};

} // namespace

KELVO_SERVER_EXPORT ResultCode DllGetClassObject(const Guid* classId, const Guid* interfaceId,
                                                 void** object) {
    if (!classId || !interfaceId || !object)
        return results::NullPointer;
    *object = nullptr;
    if (*classId != test_server::CounterClassId)
        return results::ClassNotAvailable;
    ComPointer<ClassFactory> factory(new FunctionClassFactory(&CreateAndQuery<Counter>));
    return factory->QueryInterface(*interfaceId, object);
}

KELVO_SERVER_EXPORT ResultCode DllCanUnloadNow() {
    return LiveObjectCount() == 0 ? results::Ok : results::False;
}

KELVO_SERVER_EXPORT ResultCode DllRegisterServer() {
    const auto library = ModulePath(reinterpret_cast<const void*>(&DllRegisterServer));
    return RegisterClass(
        {test_server::CounterClassId, test_server::CounterProgId, "Test counter", library, false});
}

KELVO_SERVER_EXPORT ResultCode DllUnregisterServer() {
    return UnregisterClass(test_server::CounterClassId);
}
