#pragma once

#include <vdacheck/util/ut_export.h>
#include <vdacheck/util/ut_math.h>

// Tag that selects the squared form in giLength::become.
enum giLengthSquared { gi_length_squared = 0 };

// A length whose one stored double also says in which form it is held:
//   exactly plus the maximum double  invalid (for a vector's cache: not yet computed)
//   0 or positive                    the length itself
//   negative (-s)                    squared form: a length whose square is s
// A squared length of 0 is stored as -0.0, which reads as the length 0 in either form.
// The square root is taken only when value() is asked for; the result then replaces the squared form.
class VDA_API giLength {
public:
    // Not constexpr, on purpose: g++ 12 folds a copy of a constant-initialized const object to its initial
    // value and so would lose a length cached through the mutable member.
    giLength() noexcept {}
    explicit giLength(double length) noexcept : l_(length) {}

    int invalid() const noexcept { return l_ == utMath::max_double() ? 1 : 0; }
    giLength& become(giLengthSquared, double squared) noexcept
    {
        l_ = -squared;
        return *this;
    }
    double value() const noexcept { return l_validate(); }
    // 1 when the length is at most `tol` (inclusive); in squared form compares s with tol * tol.
    int is_zero(double tol) const noexcept;
    // The stored double as it is, for callers that need to tell the forms apart.
    double stored() const noexcept { return l_; }

protected:
    double l_validate() const noexcept;

private:
    mutable double l_ = utMath::max_double();
};
