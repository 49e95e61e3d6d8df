#include <vdacheck/heal/vdc_patch_edit.h>

#include <algorithm>

vdcPatchEdit::vdcPatchEdit(const vdaSurfPatch& patch)
    : u0_(patch.u_start_parameter()), u1_(patch.u_end_parameter()), v0_(patch.v_start_parameter()),
      v1_(patch.v_end_parameter()), ku_(patch.u_order()), kv_(patch.v_order())
{
    c_.reserve(patch.all_coeffs().size());
    for (const giPoint3& p : patch.all_coeffs())
        c_.push_back({p.x(), p.y(), p.z()});
}

void vdcPatchEdit::raise(int ku, int kv)
{
    if (ku <= ku_ && kv <= kv_)
        return;
    const int nu = std::max(ku, ku_), nv = std::max(kv, kv_);
    std::vector<std::array<double, 3>> grown(static_cast<std::size_t>(nu * nv), std::array<double, 3>{});
    for (int l = 0; l < kv_; ++l)
        for (int k = 0; k < ku_; ++k)
            grown[static_cast<std::size_t>(l * nu + k)] = at(k, l);
    c_ = std::move(grown);
    ku_ = nu;
    kv_ = nv;
}

vdcPolynomial<3> vdcPatchEdit::edge(int fixed, int end) const
{
    // Sum over the fixed parameter's powers at 0 (the first coefficient) or 1 (all of them).
    const int n = fixed == 0 ? kv_ : ku_;
    const int m = fixed == 0 ? ku_ : kv_;
    std::vector<std::array<double, 3>> out(static_cast<std::size_t>(n), std::array<double, 3>{});
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < (end == 0 ? 1 : m); ++x) {
            const std::array<double, 3>& c = fixed == 0 ? at(x, y) : at(y, x);
            for (int d = 0; d < 3; ++d)
                out[static_cast<std::size_t>(y)][static_cast<std::size_t>(d)] += c[static_cast<std::size_t>(d)];
        }
    return vdcPolynomial<3>(std::move(out));
}

vdcPolynomial<3> vdcPatchEdit::across(int fixed, int end) const
{
    // d/dx of sum c x^k at x = 0 is the coefficient of x^1; at x = 1 it is sum k c_k.
    const int n = fixed == 0 ? kv_ : ku_;
    const int m = fixed == 0 ? ku_ : kv_;
    std::vector<std::array<double, 3>> out(static_cast<std::size_t>(n), std::array<double, 3>{});
    for (int y = 0; y < n; ++y)
        for (int x = 1; x < (end == 0 ? std::min(m, 2) : m); ++x) {
            const std::array<double, 3>& c = fixed == 0 ? at(x, y) : at(y, x);
            for (int d = 0; d < 3; ++d)
                out[static_cast<std::size_t>(y)][static_cast<std::size_t>(d)] +=
                    double(x) * c[static_cast<std::size_t>(d)];
        }
    return vdcPolynomial<3>(std::move(out));
}

giPoint3 vdcPatchEdit::point(double u, double v) const
{
    std::array<double, 3> p{};
    for (int l = kv_; l-- > 0;) {
        std::array<double, 3> row{};
        for (int k = ku_; k-- > 0;)
            for (int d = 0; d < 3; ++d)
                row[static_cast<std::size_t>(d)] =
                    row[static_cast<std::size_t>(d)] * u + at(k, l)[static_cast<std::size_t>(d)];
        for (int d = 0; d < 3; ++d)
            p[static_cast<std::size_t>(d)] = p[static_cast<std::size_t>(d)] * v + row[static_cast<std::size_t>(d)];
    }
    return giPoint3(p[0], p[1], p[2]);
}

void vdcPatchEdit::add(int fixed, const vdcPolynomial<3>& f, const std::vector<double>& b)
{
    const int along = static_cast<int>(f.size());
    const int across_size = static_cast<int>(b.size());
    if (fixed == 0)
        raise(across_size, along);
    else
        raise(along, across_size);
    for (int y = 0; y < along; ++y)
        for (int x = 0; x < across_size; ++x) {
            std::array<double, 3>& c = fixed == 0 ? at(x, y) : at(y, x);
            const std::array<double, 3> fy = f.coefficient(static_cast<std::size_t>(y));
            for (int d = 0; d < 3; ++d)
                c[static_cast<std::size_t>(d)] += fy[static_cast<std::size_t>(d)] * b[static_cast<std::size_t>(x)];
        }
}

void vdcPatchEdit::reparametrise(int fixed, double a, double b)
{
    const int rows = fixed == 0 ? kv_ : ku_;
    const int n = fixed == 0 ? ku_ : kv_;
    for (int y = 0; y < rows; ++y) {
        std::vector<std::array<double, 3>> line(static_cast<std::size_t>(n));
        for (int x = 0; x < n; ++x)
            line[static_cast<std::size_t>(x)] = fixed == 0 ? at(x, y) : at(y, x);
        const vdcPolynomial<3> moved = vdcPolynomial<3>(std::move(line)).composed(a, b);
        for (int x = 0; x < n; ++x)
            (fixed == 0 ? at(x, y) : at(y, x)) = moved.coefficient(static_cast<std::size_t>(x));
    }
}

vdaSurfPatch vdcPatchEdit::patch() const { return patch(u0_, u1_, v0_, v1_); }

vdaSurfPatch vdcPatchEdit::patch(double u0, double u1, double v0, double v1) const
{
    std::vector<giPoint3> coeffs;
    coeffs.reserve(c_.size());
    for (const std::array<double, 3>& c : c_)
        coeffs.emplace_back(c[0], c[1], c[2]);
    return vdaSurfPatch(u0, u1, v0, v1, ku_, kv_, std::move(coeffs));
}

int vdcPatchEdit::largest_order(const std::vector<vdcPatchEdit>& edits) noexcept
{
    int order = 0;
    for (const vdcPatchEdit& e : edits)
        order = std::max({order, e.ku_, e.kv_});
    return order;
}
