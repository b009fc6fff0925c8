// kelvo-regsvr: registers a component library of ours through its own exports,
// or unregisters it with -u, in the registry file of platform/com/Registry.h.

#include "platform/com/Registry.h"
#include "platform/com/ServerLibrary.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

using namespace kelvo;

namespace {

int Fail(const std::string& library, const std::string& message) {
    std::fprintf(stderr, "kelvo-regsvr: %s: %s\n", library.c_str(), message.c_str());
    return 1;
}

std::string ResultText(ResultCode result) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(result));
    return text;
}

} // namespace

int main(int argc, char** argv) {
    // kelvo-regsvr LIBRARY, or kelvo-regsvr -u LIBRARY.
    const bool unregister = argc == 3 && std::strcmp(argv[1], "-u") == 0;
    const char* library = argc == 2 ? argv[1] : unregister ? argv[2] : nullptr;
    if (!library || library[0] == '-') {
        std::fprintf(stderr,
                     "usage: kelvo-regsvr [-u] LIBRARY\n"
                     "Registers the component library (with -u: unregisters it) in %s\n",
                     RegistryPath().c_str());
        return 2;
    }

    std::error_code error;
    if (!std::filesystem::exists(library, error))
        return Fail(library, "no such file");
    if (!std::filesystem::is_regular_file(library, error))
        return Fail(library, "not a file");
    std::unique_ptr<ServerLibrary> server;
    std::string reason;
    if (Failed(ServerLibrary::Open(std::filesystem::absolute(library, error), &server, &reason)))
        return Fail(library, "not a loadable library (" + reason + ")");
    const char* entry = unregister ? "DllUnregisterServer" : "DllRegisterServer";
    if (!server->HasExport(entry))
        return Fail(library,
                    std::string("exports no ") + entry + ": it is no self-registering library");
    const ResultCode result = unregister ? server->Unregister() : server->Register();
    if (Failed(result))
        return Fail(library, std::string(entry) + " refused with " + ResultText(result));
    std::printf("kelvo-regsvr: %s %s in %s\n", unregister ? "unregistered" : "registered", library,
                RegistryPath().c_str());
    return 0;
}
