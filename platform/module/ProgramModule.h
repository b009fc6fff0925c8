#pragma once

#include <filesystem>
#include <string>

namespace kelvo {

// Finds the program's module `file` (a shared library of ours that the
// program loads only when it needs what the module holds) and the C entry
// point `entry` in it. The module lies beside the program in the build's run
// folder, and in the private library folder of an installed program, whatever
// the install prefix. Null, with the reason of each place tried in problem,
// when none holds it.
void* FindModuleEntry(const std::string& file, const std::string& entry, std::string& problem);

// The same, for the program at `program`.
void* FindModuleEntry(const std::filesystem::path& program, const std::string& file,
                      const std::string& entry, std::string& problem);

} // namespace kelvo
