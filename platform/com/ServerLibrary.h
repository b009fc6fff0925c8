#pragma once

#include "platform/com/Guid.h"
#include "platform/com/Result.h"

#include <filesystem>
#include <memory>
#include <string>

namespace kelvo {

// One component library loaded with dlopen. Unloaded when this object goes,
// unless KeepLoaded was called.
class ServerLibrary {
public:
    // ModuleNotFound when the file is missing or is no loadable library; the
    // loader's reason is kept in *reason when given.
    static ResultCode Open(const std::filesystem::path& path, std::unique_ptr<ServerLibrary>* out,
                           std::string* reason = nullptr);
    ~ServerLibrary();
    ServerLibrary(const ServerLibrary&) = delete;
    ServerLibrary& operator=(const ServerLibrary&) = delete;

    bool HasExport(const char* name) const { return Find(name) != nullptr; }

    // Each calls the export of that name, or gives ProcedureNotFound when the
    // library lacks it.
    ResultCode Register() const;
    ResultCode Unregister() const;
    ResultCode GetClassObject(const Guid& classId, const Guid& interfaceId, void** object) const;
    ResultCode CanUnloadNow() const;

    // Objects of the library may live on anywhere in the process: never unload it.
    void KeepLoaded() { kept_ = true; }

private:
    explicit ServerLibrary(void* handle) : handle_(handle) {}
    void* Find(const char* name) const;

    void* handle_;
    bool kept_ = false;
};

// The absolute path of the library that holds the given code address; a library
// uses it to register where it lives.
std::filesystem::path ModulePath(const void* address);

} // namespace kelvo
