#include <vdacheck/repair/vdc_parameter_repairs.h>

#include <cmath>
#include <cstdint>

#include <vdacheck/model/vda_circle.h>
#include <vdacheck/model/vda_cons.h>
#include <vdacheck/model/vda_curve.h>
#include <vdacheck/model/vda_face.h>
#include <vdacheck/model/vda_top.h>
#include <vdacheck/repair/vdc_repair_indices.h>

vdcClampedTrim vdc_clamp_trim(double start, double end, double trim_start, double trim_end) noexcept
{
    double s = trim_start;
    if (trim_start > end)
        s = end;
    if (start > s)
        s = start;
    double e = trim_end;
    if (trim_end > end)
        e = end;
    if (e < start)
        e = start;
    return {s, e, s == e};
}

namespace {

// The cons a trimming curve refers to, or null.
const vdaCons* cons_of(const vdaTrimmedCurve& curve) { return vda_cast<vdaCons>(curve.basis_curve()()); }

// Clamps a topology or cons trimming range; on collapse nothing changes and the repair fails.
template <class Trimmed>
int clamp_or_fail(Trimmed& trimmed, double start, double end)
{
    const vdcClampedTrim t = vdc_clamp_trim(start, end, trimmed.start_parameter(), trimmed.end_parameter());
    if (t.collapsed)
        return 0;
    trimmed.set_parameters(t.start, t.end);
    return 1;
}

// x - 360 q(x / 360), q truncating toward zero to a 32-bit integer. A quotient outside the 32-bit
// range has no such integer; its remainder is taken exactly instead, which keeps the result within one
// turn (an infinite or NaN angle gives NaN).
double reduce_angle(double x)
{
    const double quotient = x / 360.0;
    if (quotient > -2147483649.0 && quotient < 2147483648.0)
        return x - 360.0 * static_cast<std::int32_t>(quotient);
    return std::fmod(x, 360.0);
}

}  // namespace

int fix_face_cons_parameters(const vdaObjectPtr& entity, const vdcErrorPacket& packet, const vdcLog&)
{
    vdaFace* face = vda_cast<vdaFace>(entity());
    const int b = vdc_packet_index(packet, 0);
    const int s = vdc_packet_index(packet, 1);
    if (!face || !vdc_index_in(b, face->num_boundaries()) || !vdc_index_in(s, face->boundary(b).num_curve_segments()))
        return 0;
    vdaTrimmedCurve& trimmed = face->boundary(b).curve_segment(s);
    const vdaCons* cons = cons_of(trimmed);
    double start = 0, end = 0;
    if (!cons || !vda_parameter_range(*cons, start, end))
        return 0;
    const vdcClampedTrim t = vdc_clamp_trim(start, end, trimmed.start_parameter(), trimmed.end_parameter());
    if (t.collapsed)
        trimmed.set_parameters(start, end);  // nothing of the piece is left: use the whole cons
    else
        trimmed.set_parameters(t.start, t.end);
    return 1;
}

int fix_top_cons_parameters(const vdaObjectPtr& entity, const vdcErrorPacket& packet, const vdcLog&)
{
    vdaTop* top = vda_cast<vdaTop>(entity());
    vdaLinkedSurf* side = top ? vdc_top_side(*top, vdc_packet_index(packet, 0), vdc_packet_index(packet, 1)) : nullptr;
    const int j = vdc_packet_index(packet, 2);
    if (!side || !vdc_index_in(j, side->num_trimmed_curves()))
        return 0;
    vdaTrimmedCurve& trimmed = side->trimmed_curve(j);
    const vdaCons* cons = cons_of(trimmed);
    double start = 0, end = 0;
    if (!cons || !vda_parameter_range(*cons, start, end))
        return 0;
    return clamp_or_fail(trimmed, start, end);
}

int fix_cons_trimming_params(const vdaObjectPtr& entity, const vdcErrorPacket&, const vdcLog&)
{
    vdaCons* cons = vda_cast<vdaCons>(entity());
    const vdaCurve* curve = cons ? vda_cast<vdaCurve>(cons->curve_3d()()) : nullptr;
    double start = 0, end = 0;
    if (!curve || !vda_parameter_range(*curve, start, end))
        return 0;
    return clamp_or_fail(*cons, start, end);
}

int fix_circle_vectors(const vdaObjectPtr& entity, const vdcErrorPacket&, const vdcLog&)
{
    constexpr double eps = 1e-15;
    vdaCircle* circle = vda_cast<vdaCircle>(entity());
    if (!circle)
        return 0;
    giVector3 v = circle->plane_v();
    giVector3 w = circle->plane_w();
    if (v.is_zero(eps) || w.is_zero(eps))
        return 0;
    v.unitize();
    w.unitize();
    const double d = v.x() * w.x() + v.y() * w.y() + v.z() * w.z();
    if (!(utMath::abs(d) <= eps)) {
        const giVector3 n = cross(w, v);
        if (n.is_zero(eps))
            return 0;     // parallel: no plane to keep
        w = cross(n, v);  // (w x v) x v: the part of w orthogonal to v, reversed
        w.unitize();
    }
    circle->set_plane(v, w);
    return 1;
}

int fix_circle_angles(const vdaObjectPtr& entity, const vdcErrorPacket&, const vdcLog&)
{
    vdaCircle* circle = vda_cast<vdaCircle>(entity());
    if (!circle)
        return 0;
    const double s = reduce_angle(circle->start_angle());
    double e = reduce_angle(circle->end_angle());
    while (e < s)
        e += 360.0;
    while (e - 360.0 > s)
        e -= 360.0;
    if (e > 360.0)
        circle->set_angular_limits(s - 360.0, e - 360.0);
    else
        circle->set_angular_limits(s, e);
    return 1;
}
