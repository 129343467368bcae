#pragma once
// The process environment, behind a lookup that tests replace with their own values.

#include <functional>
#include <optional>
#include <string>

// The value of an environment variable, nullopt when unset.
using EnvironmentLookup = std::function<std::optional<std::string>(const std::string& name)>;

// The process environment (UTF-8).
std::optional<std::string> ProcessEnvironment(const std::string& name);
