#pragma once

#include <vdacheck/geometry/gi_length.h>
#include <vdacheck/util/ut_export.h>

// A vector in space with a cached length. The cache starts invalid and is filled in (squared form)
// by the first length(), l_check() or is_zero(); giLength::value() then converts it to the length
// itself. Changing a component through set() invalidates the cache.
class VDA_API giVector3 {
public:
    // Not constexpr, for the reason given at giLength's constructors.
    giVector3() noexcept {}
    giVector3(double x, double y, double z) noexcept : x_(x), y_(y), z_(z) {}

    constexpr double x() const noexcept { return x_; }
    constexpr double y() const noexcept { return y_; }
    constexpr double z() const noexcept { return z_; }
    void set(double x, double y, double z) noexcept
    {
        x_ = x;
        y_ = y;
        z_ = z;
        len_ = giLength();
    }

    // 1 when x is minus the maximum double; y and z are not examined.
    int invalid() const noexcept;
    const giLength& length() const noexcept
    {
        l_check();
        return len_;
    }
    // 0 for an invalid vector; otherwise the cached length's is_zero(tol).
    int is_zero(double tol) const noexcept;
    double dot(const giVector3& b) const noexcept { return x_ * b.x_ + y_ * b.y_ + z_ * b.z_; }
    giVector3 cross(const giVector3& b) const noexcept
    {
        return giVector3(y_ * b.z_ - z_ * b.y_, z_ * b.x_ - x_ * b.z_, x_ * b.y_ - y_ * b.x_);
    }
    // Scales the vector to length 1. A zero vector has no direction and is left as it is.
    void unitize() noexcept;

    // Components only: the length cache is not part of the value.
    friend bool operator==(const giVector3& a, const giVector3& b) noexcept
    {
        return a.x_ == b.x_ && a.y_ == b.y_ && a.z_ == b.z_;
    }

protected:
    // Fills in the length cache when it is invalid; always returns 0.
    int l_check() const noexcept;

private:
    double x_ = 0.0;
    double y_ = 0.0;
    double z_ = 0.0;
    mutable giLength len_;  // the cache is filled in by const members
};

inline double dot(const giVector3& a, const giVector3& b) noexcept { return a.dot(b); }
inline giVector3 cross(const giVector3& a, const giVector3& b) noexcept { return a.cross(b); }
