#pragma once

#include <array>

#include <vdacheck/geometry/gi_point3.h>
#include <vdacheck/geometry/gi_vector3.h>

class vdaSurfPatch;

// One polynomial space curve on its unit interval, up to order 25, held on the stack: a curve segment,
// or an iso-parametric curve of a surface patch (a patch edge is one). Lengths along it are measured in
// space, so they do not depend on the parametrisation.
class vdcPolyCurve {
public:
    vdcPolyCurve(const giPoint3* coeffs, int order) noexcept;
    // The curve of the patch at fixed local v (running in u), or at fixed local u (running in v).
    static vdcPolyCurve along_u(const vdaSurfPatch& patch, double v) noexcept;
    static vdcPolyCurve along_v(const vdaSurfPatch& patch, double u) noexcept;

    giPoint3 point(double u) const noexcept;
    giVector3 derivative(double u) const noexcept;
    // The arc length over [0, 1].
    double length() const noexcept;

private:
    vdcPolyCurve() noexcept = default;
    std::array<giPoint3, 25> c_;
    int n_ = 0;
};
