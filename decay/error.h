#pragma once

#include <stdexcept>
#include <string>

namespace halvora {

// Every failure the user can see travels as this exception. Its message is
// the exact UTF-8 text the error box shows (the box adds the final full stop).
class Error final : public std::runtime_error
{
public:
    explicit Error(const std::string &message)
        : std::runtime_error(message)
    {
    }
};

} // namespace halvora
