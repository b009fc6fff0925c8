#pragma once

#include "platform/com/Guid.h"
#include "platform/com/Result.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace kelvo {

// One registered class: where its library lives and the ProgID that names it.
struct ClassRecord {
    Guid classId;
    std::string progId; // may be empty
    std::string name;
    std::filesystem::path library;
    bool control = false;
};

// One registered type library.
struct TypeLibraryRecord {
    Guid libraryId;
    std::string name;
    std::string version;
    std::string locale;
    std::string flags;
    std::filesystem::path library;
};

// One interface a type library declares, for hosts that bind to it.
struct DeclaredInterface {
    Guid interfaceId;
    std::string name;
    Guid typeLibrary;
    std::string flags; // blank-separated: "dual", "hidden", "dispatch", ...
};

// The registry file: $KELVO_REGISTRY, else $XDG_DATA_HOME/kelvo/registry.ini,
// else ~/.local/share/kelvo/registry.ini.
std::filesystem::path RegistryPath();

// Changes are made under a lock file and written to a temporary file that
// replaces the registry in one rename, so neither a second writer nor a crash
// leaves half a registry behind. WriteFault when the file cannot be written,
// InvalidArgument for a name or path that does not fit on one line.
ResultCode RegisterClass(const ClassRecord& record);
// Removes the class and the ProgID that names it; Ok also when it was absent.
ResultCode UnregisterClass(const Guid& classId);
ResultCode RegisterTypeLibrary(const TypeLibraryRecord& record);
ResultCode UnregisterTypeLibrary(const Guid& libraryId);
ResultCode RegisterInterface(const DeclaredInterface& record);
ResultCode UnregisterInterface(const Guid& interfaceId);

// ClassNotRegistered when absent.
ResultCode FindClassId(std::string_view progId, Guid* classId);
ResultCode FindClass(const Guid& classId, ClassRecord* record);
ResultCode FindTypeLibrary(const Guid& libraryId, TypeLibraryRecord* record);
ResultCode FindInterface(const Guid& interfaceId, DeclaredInterface* record);

} // namespace kelvo
