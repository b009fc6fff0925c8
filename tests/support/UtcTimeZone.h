#pragma once

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace kelvo::test {

// Local time reads as UTC while this lives, so that texts built from local
// time are the same on every machine; the caller's zone comes back after.
class UtcTimeZone {
public:
    UtcTimeZone() {
        if (const char* zone = std::getenv("TZ")) {
            savedZone = zone;
        }
        ::setenv("TZ", "UTC", 1);
        ::tzset();
    }
    ~UtcTimeZone() {
        savedZone ? ::setenv("TZ", savedZone->c_str(), 1) : ::unsetenv("TZ");
        ::tzset();
    }
    UtcTimeZone(const UtcTimeZone&) = delete;
    UtcTimeZone& operator=(const UtcTimeZone&) = delete;

private:
    std::optional<std::string> savedZone;
};

} // namespace kelvo::test
