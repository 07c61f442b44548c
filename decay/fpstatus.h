#pragma once

#include "decay/error.h"

#include <cfenv>

// Not part of the library's interface: shared by its sources only.
namespace decay::detail {

// The program treats invalid operation, division by zero and overflow as
// errors and underflow as harmless, as an FPU with those exceptions unmasked
// would. Here the flags do the job of the traps: each computation starts with
// clean flags and round-to-nearest, and check() turns what it raised into the
// error the user sees. The caller's own environment is put back afterwards, so
// that a flag left over from elsewhere can neither fake nor hide an error.
//
// The computations store every step in a volatile variable: that keeps each
// operation between the flag reset and the flag test, and makes the result
// pass through the precision it is stored in (the final store to double can
// overflow on its own).
class FpStatusScope final
{
public:
    FpStatusScope()
    {
        std::feholdexcept(&m_saved);
        std::fesetround(FE_TONEAREST);
    }

    ~FpStatusScope() { std::fesetenv(&m_saved); }

    FpStatusScope(const FpStatusScope &) = delete;
    FpStatusScope &operator=(const FpStatusScope &) = delete;

    // The order matters when several flags are up: the first one that an
    // FPU would have trapped on comes first.
    void check() const
    {
        const int raised = std::fetestexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW);
        if (raised & FE_INVALID)
            throw halvora::Error("Invalid floating point operation");
        if (raised & FE_DIVBYZERO)
            throw halvora::Error("Floating point division by zero");
        if (raised & FE_OVERFLOW)
            throw halvora::Error("Floating point overflow");
    }

private:
    std::fenv_t m_saved;
};

} // namespace decay::detail
