#include "platform/ini/IniFile.h"

#include <cstddef>
#include <cstdint>
#include <string>

// Config.ini may have been edited by hand or written on Windows.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    kelvo::IniFile file = kelvo::IniFile::FromText(text);
    // An untouched document is written back byte for byte.
    if (file.Text() != text) {
        __builtin_trap();
    }
    const std::string unit = file.GetString("ConfigInfo", "Unit", "C");
    if (unit.size() > kelvo::iniValueLimit) {
        __builtin_trap();
    }
    // Setting one key reads back and leaves the other keys as they were.
    const std::string row = "smtp.example.com|^|a=b|^|";
    if (!file.SetString("ConfigInfo", "EmailConfig1", row)) {
        __builtin_trap();
    }
    // A key added to the first section moves every line behind it: the edited
    // document must find what a fresh read of its text finds.
    const std::string firstSection =
        text.substr(text.find('[') == std::string::npos ? 0 : text.find('[') + 1, 8);
    file.SetString(firstSection, "Added", "1");
    const kelvo::IniFile again = kelvo::IniFile::FromText(file.Text());
    if (again.GetString("ConfigInfo", "EmailConfig1", "") != row ||
        again.GetString("ConfigInfo", "Unit", "C") != unit) {
        __builtin_trap();
    }
    for (const char* key : {"Unit", "EmailConfig1", "Added", "TSCT"}) {
        for (const std::string& section : {std::string("ConfigInfo"), firstSection}) {
            if (file.GetString(section, key, "absent") != again.GetString(section, key, "absent")) {
                __builtin_trap();
            }
        }
    }
    return 0;
}
