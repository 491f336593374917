#pragma once

#include <exception>
#include <string>
#include <string_view>
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

/// Ends the description of a failure that left the target as it was.
inline constexpr std::string_view kTargetUnchanged = "; the target file was not changed";

/// A failure about the target \p name: \p reason, or the system's own text for \p number.
[[nodiscard]] inline RunError TargetFailure(int number, const std::string& name, std::string_view reason = {})
{
    return {number,
            TargetContext(name) + ": "
                + (reason.empty() ? std::error_code(number, std::generic_category()).message() : std::string(reason))};
}

/// As TargetFailure, for a failure before anything reached the target.
[[nodiscard]] inline RunError UnchangedTargetFailure(int number, const std::string& name, std::string_view reason = {})
{
    return {number, TargetFailure(number, name, reason).description() + std::string(kTargetUnchanged)};
}

} // namespace varnuth
