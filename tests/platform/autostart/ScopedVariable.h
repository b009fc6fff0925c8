#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace kelvo::testing {

// Sets (or, given null, clears) an environment variable for the life of the
// object, then puts back what was there.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const char* value) : name(name) {
        if (const char* old = std::getenv(name)) {
            saved = old;
        }
        value ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;
    ~ScopedVariable() { saved ? ::setenv(name, saved->c_str(), 1) : ::unsetenv(name); }

private:
    const char* name;
    std::optional<std::string> saved;
};

} // namespace kelvo::testing
