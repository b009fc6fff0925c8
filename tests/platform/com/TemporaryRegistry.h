#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

namespace kelvo {

// A fresh folder holding the registry file for one test; KELVO_REGISTRY points
// there while it lives.
class TemporaryRegistry {
public:
    TemporaryRegistry() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "kelvo-com-XXXXXX").string();
        folder_ = mkdtemp(pattern.data());
        path_ = folder_ / "registry.ini";
        setenv("KELVO_REGISTRY", path_.c_str(), 1);
    }
    ~TemporaryRegistry() {
        unsetenv("KELVO_REGISTRY");
        std::error_code error;
        std::filesystem::remove_all(folder_, error);
    }
    TemporaryRegistry(const TemporaryRegistry&) = delete;
    TemporaryRegistry& operator=(const TemporaryRegistry&) = delete;

    const std::filesystem::path& Folder() const { return folder_; }
    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path folder_;
    std::filesystem::path path_;
};

} // namespace kelvo
