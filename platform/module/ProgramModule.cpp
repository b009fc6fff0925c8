#include "platform/module/ProgramModule.h"

#include <dlfcn.h>

#include <filesystem>
#include <system_error>

namespace kelvo {

void* FindModuleEntry(const std::string& file, const std::string& entry, std::string& problem) {
    std::error_code error;
    return FindModuleEntry(std::filesystem::read_symlink("/proc/self/exe", error), file, entry,
                           problem);
}

void* FindModuleEntry(const std::filesystem::path& program, const std::string& file,
                      const std::string& entry, std::string& problem) {
    const std::filesystem::path folder = program.parent_path();
    problem.clear();
    for (const std::filesystem::path& candidate :
         {folder / file, folder.parent_path() / KELVO_INSTALL_LIBRARYDIR / file}) {
        void* module = ::dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (module == nullptr) {
            const char* reason = ::dlerror();
            problem += (problem.empty() ? "" : "; ") +
                       std::string(reason != nullptr ? reason : candidate.string());
            continue;
        }
        if (void* found = ::dlsym(module, entry.c_str())) {
            return found;
        }
        problem += (problem.empty() ? "" : "; ") + candidate.string() + " has no " + entry;
        ::dlclose(module);
    }
    return nullptr;
}

} // namespace kelvo
