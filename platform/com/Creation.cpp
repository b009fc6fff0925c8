#include "platform/com/Creation.h"

#include "platform/com/ClassFactory.h"
#include "platform/com/Control.h"
#include "platform/com/Registry.h"
#include "platform/com/ServerLibrary.h"

#include <map>
#include <memory>
#include <mutex>

namespace kelvo {

namespace {

// Libraries that made objects stay loaded: their objects and code may be
// referenced anywhere in the process.
ResultCode LoadedLibrary(const std::filesystem::path& path, const ServerLibrary** library) {
    static std::mutex mutex;
    static std::map<std::filesystem::path, std::unique_ptr<ServerLibrary>> libraries;
    std::lock_guard guard(mutex);
    auto& entry = libraries[path];
    if (!entry) {
        const ResultCode result = ServerLibrary::Open(path, &entry);
        if (Failed(result)) {
            libraries.erase(path);
            return result;
        }
        entry->KeepLoaded();
    }
    *library = entry.get();
    return results::Ok;
}

} // namespace

ResultCode CreateObject(const Guid& classId, const Guid& interfaceId, void** object) {
    if (!object)
        return results::NullPointer;
    *object = nullptr;
    ClassRecord record;
    ResultCode result = FindClass(classId, &record);
    if (Failed(result))
        return result;
    const ServerLibrary* library = nullptr;
    result = LoadedLibrary(record.library, &library);
    if (Failed(result))
        return result;
    ComPointer<ClassFactory> factory;
    result = library->GetClassObject(classId, ClassFactory::InterfaceId, factory.OutPointer());
    if (Failed(result))
        return result;
    if (!factory)
        return results::NoInterface;
    return factory->CreateInstance(interfaceId, object);
}

ResultCode CreateObject(std::string_view progId, const Guid& interfaceId, void** object) {
    if (!object)
        return results::NullPointer;
    *object = nullptr;
    Guid classId;
    const ResultCode result = FindClassId(progId, &classId);
    if (Failed(result))
        return result;
    return CreateObject(classId, interfaceId, object);
}

ResultCode HostControl(const Guid& classId, QWidget* site, std::string_view properties,
                       ComPointer<Dispatch>* dispatch) {
    if (!site || !dispatch)
        return results::NullPointer;
    dispatch->Reset();
    ComPointer<Control> control;
    ResultCode result = CreateObject(classId, &control);
    if (Failed(result))
        return result;
    if (!properties.empty()) {
        ComPointer<PersistProperties> persist;
        result = control.Query(&persist);
        if (Succeeded(result))
            result = persist->Load(properties);
        if (Failed(result))
            return result;
    }
    ComPointer<Dispatch> automation;
    result = control.Query(&automation);
    if (Failed(result))
        return result;
    result = control->Attach(site);
    if (Failed(result))
        return result;
    *dispatch = std::move(automation);
    return results::Ok;
}

} // namespace kelvo
