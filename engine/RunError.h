#pragma once

#include <exception>
#include <string>
#include <system_error>

namespace varnuth {

/// The failure that ends a conversion run: a non-zero number and the text the user is shown.
class RunError : public std::exception {
public:
    RunError(int number, std::string description) : number_(number), description_(std::move(description)) {}

    /// A failure numbered by \p code, described as \p context, ": " and the system's own text for it.
    RunError(std::error_code code, const std::string& context) : RunError(code.value(), context + ": " + code.message())
    {
    }

    [[nodiscard]] int number() const noexcept { return number_; }
    [[nodiscard]] const std::string& description() const noexcept { return description_; }
    [[nodiscard]] const char* what() const noexcept override { return description_.c_str(); }

private:
    int number_;
    std::string description_;
};

/// How every failure about the source begins, naming it as the user gave it.
[[nodiscard]] inline std::string SourceContext(const std::string& name)
{
    return "Cannot read the source file \"" + name + "\"";
}

/// How every failure about the target begins.
[[nodiscard]] inline std::string TargetContext(const std::string& name)
{
    return "Cannot write the target file \"" + name + "\"";
}

} // namespace varnuth
