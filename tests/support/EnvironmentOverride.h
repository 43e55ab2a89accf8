#pragma once

#include <cstdlib>
#include <map>
#include <optional>
#include <string>

namespace kelvanter::testing {

// Sets environment variables for the life of the object and puts the old values back after.
class EnvironmentOverride {
public:
    void set(const std::string& name, const std::string& value) {
        if (saved_.count(name) == 0) {
            const char* old = std::getenv(name.c_str());
            saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
        }
        ::setenv(name.c_str(), value.c_str(), 1);
    }
    ~EnvironmentOverride() {
        for (const auto& [name, value] : saved_) {
            if (value)
                ::setenv(name.c_str(), value->c_str(), 1);
            else
                ::unsetenv(name.c_str());
        }
    }

private:
    std::map<std::string, std::optional<std::string>> saved_;
};

} // namespace kelvanter::testing
