#include <vdacheck/quality/vdc_piece_chain.h>

#include <algorithm>
#include <cmath>
#include <iterator>

#include <vdacheck/geometry/gi_vector_ops.h>
#include <vdacheck/model/vda_cons.h>
#include <vdacheck/model/vda_trimmed_curve.h>
#include <vdacheck/quality/vdc_quality_references.h>

bool vdcPieceChain::add(const vdaTrimmedCurve& piece, std::string& why)
{
    const auto eval =
        vdc_evaluator_of<vdaCons, vdaConsEval>(piece.basis_curve(), piece.basis_curve_name(), "cons", why);
    if (!eval)
        return false;
    const double w1 = piece.start_parameter();
    const double w2 = piece.end_parameter();
    const auto inside = [&](double w) { return std::isfinite(w) && w >= eval->start() && w <= eval->end(); };
    if (!inside(w1) || !inside(w2) || w1 == w2) {
        why = vdc_join({"the range of cons ", piece.basis_curve_name().view(), " used is empty or beyond the cons"});
        return false;
    }
    pieces_.push_back({*eval, w1, w2});
    return true;
}

bool vdcPieceChain::straight(const vdaConsEval::Segment& segment) noexcept
{
    const auto& c = segment.all_coeffs();
    return std::all_of(c.begin() + std::min<std::ptrdiff_t>(2, std::ssize(c)), c.end(),
                       [](const giPoint2& p) { return p.x() == 0.0 && p.y() == 0.0; });
}

vdaConsSample vdcPieceChain::uv(int k, double x, int derivatives) const noexcept
{
    const Piece& p = piece(k);
    const double rate = p.w2 - p.w1;
    // The segment inside the piece: at its start the one it runs into, at its end the one it comes from.
    const vdaSide side = (x < 0.5) == (rate > 0.0) ? vdaSide::after : vdaSide::before;
    vdaConsSample c = p.cons.sample(p.w1 + x * rate, derivatives, side);
    c.d1 = rate * c.d1;
    c.d2 = (rate * rate) * c.d2;
    return c;
}

vdcPieceChain::Normal vdcPieceChain::normal(int k, double x) const noexcept
{
    const vdaConsSample c = uv(k, x, 1);
    const int i = surface_.patch_u_at(c.point.x(), c.d1.x() < 0.0 ? vdaSide::before : vdaSide::after);
    const int j = surface_.patch_v_at(c.point.y(), c.d1.y() < 0.0 ? vdaSide::before : vdaSide::after);
    const vdaSurfSample s =
        surface_.patch_sample(i, j, surface_.local_u(i, c.point.x()), surface_.local_v(j, c.point.y()), 1);
    return {s.d_u.cross(s.d_v), i, j};
}
