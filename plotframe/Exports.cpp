// The entry points of PlotFrameCtl.ocx, its version information and its
// toolbox picture.

#include "platform/com/ClassFactory.h"
#include "platform/com/Registry.h"
#include "platform/com/ServerExports.h"
#include "platform/com/ServerLibrary.h"
#include "plotframe/PlotFrameIds.h"
#include "plotframe/PlotraFrm.h"

#include <vector>

using namespace kelvo;

// Version information, where an ELF library can carry it: in a section of its
// own, read with `readelf -p .kelvo_version PlotFrameCtl.ocx` (or `strings`).
// OLESelfRegister says that the library registers itself through its exports.
extern "C" __attribute__((section(".kelvo_version"), used, visibility("hidden")))
const char PlotFrameVersionInformation[] = "ProductName=PlotFrameCtl\0"
                                           "InternalName=PlotFrameCtl\0"
                                           "OriginalFilename=PlotFrameCtl.ocx\0"
                                           "FileVersion=1.00\0"
                                           "ProductVersion=1.00\0"
                                           "OLESelfRegister\0";

// The toolbox picture a form designer shows for the control: 16 x 15 pixels,
// 16 colours, as XPM: a red line rising over a white wall in a grey frame.
extern "C" __attribute__((section(".kelvo_toolbox"), used, visibility("hidden")))
const char PlotFrameToolboxPicture[] = "! XPM2\n"
                                       "16 15 4 1\n"
                                       "  c #C0C0C0\n"
                                       ". c #FFFFFF\n"
                                       "r c #FF0000\n"
                                       "k c #000000\n"
                                       "                \n"
                                       " kkkkkkkkkkkkkk \n"
                                       " k............k \n"
                                       " k..........r.k \n"
                                       " k.........r..k \n"
                                       " k........r...k \n"
                                       " k...r...r....k \n"
                                       " k..r.r.r.....k \n"
                                       " k.r...r......k \n"
                                       " kr...........k \n"
                                       " k............k \n"
                                       " k............k \n"
                                       " k............k \n"
                                       " kkkkkkkkkkkkkk \n"
                                       "                \n";

namespace {

std::filesystem::path ThisLibrary() {
    return ModulePath(reinterpret_cast<const void*>(&ThisLibrary));
}

// The type library's interfaces: the control's default one and its event source.
std::vector<DeclaredInterface> Interfaces() {
    return {{PlotraFrmInterfaceId, "_PlotraFrm", PlotFrameLibraryId,
             "dual hidden nonextensible oleautomation"},
            {PlotraFrmEventsId, "__PlotraFrm", PlotFrameLibraryId,
             "dispatch hidden nonextensible noevents"}};
}

} // namespace

KELVO_SERVER_EXPORT ResultCode DllGetClassObject(const Guid* classId, const Guid* interfaceId,
                                                 void** object) {
    if (!classId || !interfaceId || !object)
        return results::NullPointer;
    *object = nullptr;
    if (*classId != PlotraFrmClassId)
        return results::ClassNotAvailable;
    ComPointer<ClassFactory> factory(new FunctionClassFactory(&PlotraFrm::Create));
    return factory->QueryInterface(*interfaceId, object);
}

KELVO_SERVER_EXPORT ResultCode DllCanUnloadNow() {
    return LiveObjectCount() == 0 ? results::Ok : results::False;
}

KELVO_SERVER_EXPORT ResultCode DllRegisterServer() {
    const std::filesystem::path library = ThisLibrary();
    if (library.empty())
        return results::Fail;
    const ResultCode result =
        RegisterTypeLibrary({PlotFrameLibraryId, PlotFrameLibraryName, PlotFrameTypeLibraryVersion,
                             PlotFrameTypeLibraryLocale, PlotFrameTypeLibraryFlags, library});
    if (Failed(result))
        return result;
    for (const DeclaredInterface& declared : Interfaces())
        if (const ResultCode added = RegisterInterface(declared); Failed(added))
            return added;
    return RegisterClass({PlotraFrmClassId, PlotraFrmProgId, "PlotraFrm", library, true});
}

KELVO_SERVER_EXPORT ResultCode DllUnregisterServer() {
    ResultCode result = UnregisterClass(PlotraFrmClassId);
    for (const DeclaredInterface& declared : Interfaces())
        if (const ResultCode removed = UnregisterInterface(declared.interfaceId); Succeeded(result))
            result = removed;
    if (const ResultCode removed = UnregisterTypeLibrary(PlotFrameLibraryId); Succeeded(result))
        result = removed;
    return result;
}
