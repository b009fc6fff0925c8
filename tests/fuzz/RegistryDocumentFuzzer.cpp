#include "platform/com/Guid.h"
#include "platform/com/RegistryDocument.h"

#include <cstddef>
#include <cstdint>
#include <string>

// The registry file is shared by every program of the user and may be edited
// by hand: whatever it holds must read without harm, and what we write back
// must read back the same.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const kelvo::RegistryDocument document = kelvo::RegistryDocument::Parse(text);
    const std::string written = document.Text();
    if (kelvo::RegistryDocument::Parse(written).Text() != written) {
        __builtin_trap();
    }
    // What a lookup does with the values: class ids are parsed, library paths taken.
    for (const std::string& section : document.SectionNames()) {
        if (const std::string* value = document.Value(section, "CLSID")) {
            kelvo::ParseGuid(*value);
        }
        document.Value(section, "Library");
    }
    return 0;
}
