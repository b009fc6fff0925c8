#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

namespace kelvo::testing {

// A fresh directory under the system's temporary folder, removed with its contents.
class TemporaryDirectory {
public:
    TemporaryDirectory() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "kelvo-test-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("mkdtemp failed");
        }
        root = pattern;
    }
    TemporaryDirectory(const TemporaryDirectory&) = delete;
    TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;
    ~TemporaryDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }

    const std::filesystem::path& Path() const { return root; }
    std::filesystem::path operator/(const std::string& name) const { return root / name; }

    // Writes and reads files byte for byte, line ends untouched.
    static void WriteFile(const std::filesystem::path& path, const std::string& contents) {
        std::ofstream(path, std::ios::binary) << contents;
    }
    static std::string ReadFile(const std::filesystem::path& path) {
        std::ifstream file(path, std::ios::binary);
        std::ostringstream contents;
        contents << file.rdbuf();
        return contents.str();
    }

private:
    std::filesystem::path root;
};

} // namespace kelvo::testing
