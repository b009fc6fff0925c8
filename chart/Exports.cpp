// The entry points of Plotra5.ocx.

#include "chart/ChartControl.h"
#include "chart/ChartIds.h"
#include "chart/CommandBar.h"
#include "platform/com/ClassFactory.h"
#include "platform/com/Registry.h"
#include "platform/com/ServerExports.h"
#include "platform/com/ServerLibrary.h"

using namespace kelvo;

namespace {

std::filesystem::path ThisLibrary() {
    return ModulePath(reinterpret_cast<const void*>(&ThisLibrary));
}

} // namespace

KELVO_SERVER_EXPORT ResultCode DllGetClassObject(const Guid* classId, const Guid* interfaceId,
                                                 void** object) {
    if (!classId || !interfaceId || !object)
        return results::NullPointer;
    *object = nullptr;
    FunctionClassFactory::CreateFunction create = nullptr;
    if (*classId == ChartClassId)
        create = &ChartControl::Create;
    else if (*classId == CommandBarClassId)
        create = &CommandBarControl::Create;
    else
        return results::ClassNotAvailable;
    ComPointer<ClassFactory> factory(new FunctionClassFactory(create));
    return factory->QueryInterface(*interfaceId, object);
}

KELVO_SERVER_EXPORT ResultCode DllCanUnloadNow() {
    return LiveObjectCount() == 0 ? results::Ok : results::False;
}

KELVO_SERVER_EXPORT ResultCode DllRegisterServer() {
    const std::filesystem::path library = ThisLibrary();
    if (library.empty())
        return results::Fail;
    ResultCode result =
        RegisterClass({ChartClassId, ChartProgId, "Plotra chart control", library, true});
    if (Succeeded(result))
        result = RegisterClass(
            {CommandBarClassId, CommandBarProgId, "Plotra chart command bar", library, true});
    return result;
}

KELVO_SERVER_EXPORT ResultCode DllUnregisterServer() {
    const ResultCode chart = UnregisterClass(ChartClassId);
    const ResultCode bar = UnregisterClass(CommandBarClassId);
    return Failed(chart) ? chart : bar;
}
