#pragma once

#include <vector>

#include <vdacheck/geometry/gi_point3.h>
#include <vdacheck/heal/vdc_polynomial.h>
#include <vdacheck/model/vda_surf_patch.h>

// A surface patch under correction: its coefficients as a grid that grows when a correction needs higher
// orders, and the curves along its edges and the slopes across them, as polynomials in the local
// parameter running along the edge. An edge is named by the parameter that is fixed on it (0: u, 1: v)
// and its end (0 or 1): edge (0, 1) is u = 1, running in v.
class vdcPatchEdit {
public:
    explicit vdcPatchEdit(const vdaSurfPatch& patch);

    int u_order() const noexcept { return ku_; }
    int v_order() const noexcept { return kv_; }
    int order(int direction) const noexcept { return direction == 0 ? ku_ : kv_; }
    // Raises the orders to at least ku and kv (zero coefficients added).
    void raise(int ku, int kv);

    // The edge where parameter `fixed` (0: u, 1: v) equals `end` (0 or 1), and the derivative across it
    // with respect to that parameter, as polynomials in the other parameter.
    vdcPolynomial<3> edge(int fixed, int end) const;
    vdcPolynomial<3> across(int fixed, int end) const;
    giPoint3 point(double u, double v) const;

    // Adds f(y) b(x) to the patch, where x is parameter `fixed` and y the other one: a correction that runs
    // along the edges x = 0 and x = 1, shaped across them by the scalar blend b. Raises orders as needed.
    void add(int fixed, const vdcPolynomial<3>& f, const std::vector<double>& b);
    // The patch with the new coefficients over the original's parameter ranges.
    vdaSurfPatch patch() const;
    // The same over other ranges.
    vdaSurfPatch patch(double u0, double u1, double v0, double v1) const;

    // The largest order, in either direction, of any of `edits` (VDA-FS allows 25).
    static int largest_order(const std::vector<vdcPatchEdit>& edits) noexcept;

    // The whole patch in new local parameters: u = a + b x (fixed 0) or v = a + b y (fixed 1), the other
    // parameter kept: the patch extended (or cut) across the edges of `fixed`.
    void reparametrise(int fixed, double a, double b);

private:
    std::array<double, 3>& at(int k, int l) noexcept { return c_[static_cast<std::size_t>(l * ku_ + k)]; }
    const std::array<double, 3>& at(int k, int l) const noexcept { return c_[static_cast<std::size_t>(l * ku_ + k)]; }
    double u0_, u1_, v0_, v1_;
    int ku_, kv_;
    std::vector<std::array<double, 3>> c_;  // c(k, l) at l * ku + k
};
