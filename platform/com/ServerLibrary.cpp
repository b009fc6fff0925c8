#include "platform/com/ServerLibrary.h"

#include "platform/com/ServerExports.h"

#include <dlfcn.h>

namespace kelvo {

ResultCode ServerLibrary::Open(const std::filesystem::path& path,
                               std::unique_ptr<ServerLibrary>* out, std::string* reason) {
    if (!out)
        return results::NullPointer;
    out->reset();
    // A name without a slash would be searched on the library path; the caller
    // means this very file.
    const std::filesystem::path file = path.has_parent_path() ? path : "./" / path;
    void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        if (reason) {
            const char* error = dlerror();
            *reason = error ? error : "";
        }
        return results::ModuleNotFound;
    }
    out->reset(new ServerLibrary(handle));
    return results::Ok;
}

ServerLibrary::~ServerLibrary() {
    if (!kept_)
        dlclose(handle_);
}

void* ServerLibrary::Find(const char* name) const {
    return dlsym(handle_, name);
}

ResultCode ServerLibrary::Register() const {
    auto function = reinterpret_cast<RegisterServerFunction>(Find("DllRegisterServer"));
    return function ? function() : results::ProcedureNotFound;
}

ResultCode ServerLibrary::Unregister() const {
    auto function = reinterpret_cast<RegisterServerFunction>(Find("DllUnregisterServer"));
    return function ? function() : results::ProcedureNotFound;
}

ResultCode ServerLibrary::GetClassObject(const Guid& classId, const Guid& interfaceId,
                                         void** object) const {
    if (!object)
        return results::NullPointer;
    *object = nullptr;
    auto function = reinterpret_cast<GetClassObjectFunction>(Find("DllGetClassObject"));
    return function ? function(&classId, &interfaceId, object) : results::ProcedureNotFound;
}

ResultCode ServerLibrary::CanUnloadNow() const {
    auto function = reinterpret_cast<CanUnloadNowFunction>(Find("DllCanUnloadNow"));
    return function ? function() : results::ProcedureNotFound;
}

std::filesystem::path ModulePath(const void* address) {
    Dl_info information{};
    if (!dladdr(address, &information) || !information.dli_fname)
        return {};
    std::error_code error;
    auto path = std::filesystem::weakly_canonical(information.dli_fname, error);
    if (!error)
        return path;
    // A deleted current folder fails both; the name as the loader gave it remains.
    path = std::filesystem::absolute(information.dli_fname, error);
    return error ? std::filesystem::path(information.dli_fname) : path;
}

} // namespace kelvo
