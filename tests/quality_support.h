#pragma once

// Small models with known geometry and the quality run over them, for the quality tests.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include <vdacheck/geometry/gi_vector_ops.h>
#include <vdacheck/quality/vdc_quality_check.h>
#include <vdacheck/vdacheck.h>

namespace qt {

constexpr double deg = std::numbers::pi / 180.0;

// The bilinear patch through four corners (p00 at u = v = 0, p10 at u = 1, ...) over [u0, u1] x [v0, v1].
inline vdaSurfPatch bilinear(const giPoint3& p00, const giPoint3& p10, const giPoint3& p01, const giPoint3& p11,
                             double u0 = 0, double u1 = 1, double v0 = 0, double v1 = 1)
{
    const giVector3 du = p10 - p00, dv = p01 - p00, duv = (p11 - p10) - (p01 - p00);
    return vdaSurfPatch(
        u0, u1, v0, v1, 2, 2,
        {p00, giPoint3(du.x(), du.y(), du.z()), giPoint3(dv.x(), dv.y(), dv.z()), giPoint3(duv.x(), duv.y(), duv.z())});
}

// A straight cons segment from a to b over [w0, w1].
inline vdaConsSegment line(double w0, double w1, const giPoint2& a, const giPoint2& b)
{
    return vdaConsSegment(w0, w1, {a, b - a});
}
inline vdaCurveSegment line(double s0, double s1, const giPoint3& a, const giPoint3& b)
{
    const giVector3 d = b - a;
    return vdaCurveSegment(s0, s1, {a, giPoint3(d.x(), d.y(), d.z())});
}

// The power-basis coefficients (of u^0 .. u^(n-1)) of the polynomial of degree below n that takes the
// values y[k] at u = k / (n - 1): Newton's divided differences, then expanded. Exact up to rounding for a
// polynomial of that degree, so a model can be written as the functions it is made of.
inline std::vector<double> power_basis(std::vector<double> y)
{
    const int n = static_cast<int>(y.size());
    const auto node = [n](int k) { return double(k) / (n - 1); };
    for (int j = 1; j < n; ++j)
        for (int k = n - 1; k >= j; --k)
            y[std::size_t(k)] = (y[std::size_t(k)] - y[std::size_t(k - 1)]) / (node(k) - node(k - j));
    std::vector<double> c(std::size_t(n), 0.0);
    for (int k = n - 1; k >= 0; --k) {
        for (int m = n - 1; m > 0; --m)
            c[std::size_t(m)] = c[std::size_t(m - 1)] - node(k) * c[std::size_t(m)];
        c[0] = y[std::size_t(k)] - node(k) * c[0];
    }
    return c;
}

// The patch of orders (nu, nv) over [u0, u1] x [v0, v1] that is f(u, v) in its local parameters.
template <class F>
vdaSurfPatch patch_of(int nu, int nv, F&& f, double u0 = 0, double u1 = 1, double v0 = 0, double v1 = 1)
{
    std::vector<giPoint3> c(std::size_t(nu * nv));
    for (int d = 0; d < 3; ++d) {
        // Along u for each sample row, then along v for each coefficient of u.
        std::vector<std::vector<double>> rows;
        for (int b = 0; b < nv; ++b) {
            std::vector<double> y;
            for (int a = 0; a < nu; ++a) {
                const giPoint3 p = f(double(a) / (nu - 1), double(b) / (nv - 1));
                y.push_back(d == 0 ? p.x() : d == 1 ? p.y() : p.z());
            }
            rows.push_back(power_basis(y));
        }
        for (int k = 0; k < nu; ++k) {
            std::vector<double> y;
            for (int b = 0; b < nv; ++b)
                y.push_back(rows[std::size_t(b)][std::size_t(k)]);
            const std::vector<double> column = power_basis(y);
            for (int l = 0; l < nv; ++l) {
                giPoint3& q = c[std::size_t(l * nu + k)];
                (d == 0 ? q.x() : d == 1 ? q.y() : q.z()) = column[std::size_t(l)];
            }
        }
    }
    return vdaSurfPatch(u0, u1, v0, v1, nu, nv, c);
}

// The curve segment of that order over [s0, s1] that is f(u) in its local parameter.
template <class F>
vdaCurveSegment curve_of(int order, F&& f, double s0, double s1)
{
    std::vector<double> y[3];
    for (int a = 0; a < order; ++a) {
        const giPoint3 p = f(double(a) / (order - 1));
        y[0].push_back(p.x());
        y[1].push_back(p.y());
        y[2].push_back(p.z());
    }
    const std::vector<double> x = power_basis(y[0]), yy = power_basis(y[1]), z = power_basis(y[2]);
    std::vector<giPoint3> c;
    for (int k = 0; k < order; ++k)
        c.emplace_back(x[std::size_t(k)], yy[std::size_t(k)], z[std::size_t(k)]);
    return vdaCurveSegment(s0, s1, c);
}

// The flat square x = 100 s, y = 100 t, z = 0 over the unit square.
inline vdaSurf& plane(vdaFile& file, const char* name)
{
    return file.create<vdaSurf>(name, 1, 1, std::vector{bilinear({0, 0, 0}, {100, 0, 0}, {0, 100, 0}, {100, 100, 0})});
}

inline vdcQualityReport run(const vdaFile& file, const vdcQualityProfile& profile = {}, int threads = 1)
{
    return vdcQualityCheck(profile, threads).run(file);
}

inline std::vector<vdcQualityFinding> findings(const vdcQualityReport& report, vdcQualityRule rule)
{
    std::vector<vdcQualityFinding> out;
    for (const vdcQualityFinding& f : report.findings)
        if (f.rule == rule)
            out.push_back(f);
    return out;
}

// What a finding is expected to say: entity, value to three significant digits, indices and, when
// given, the point.
struct Expected {
    vdcQualityRule rule;
    const char* entity;
    double value;
    std::vector<int> indices;
    std::vector<double> point;  // empty: not compared
};

// The findings one a line, for a failure's message.
inline std::string listed(const vdcQualityReport& report)
{
    std::string out;
    for (const vdcQualityFinding& f : report.findings)
        out += std::string(f.entity.view()) + " " + f.id() + " " + std::to_string(f.value) + " at (" +
               std::to_string(f.where.point.x()) + ", " + std::to_string(f.where.point.y()) + ", " +
               std::to_string(f.where.point.z()) + ")\n";
    return out;
}

inline void expect_findings(const vdcQualityReport& report, const std::vector<Expected>& expected)
{
    ASSERT_EQ(report.findings.size(), expected.size()) << listed(report);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const vdcQualityFinding& f = report.findings[i];
        const Expected& e = expected[i];
        SCOPED_TRACE(std::string(e.entity) + " " + vdc_quality_rule_info(e.rule).id);
        EXPECT_EQ(f.rule, e.rule);
        EXPECT_EQ(f.entity, e.entity);
        EXPECT_NEAR(f.value, e.value, std::max(1e-12, 5e-4 * std::fabs(e.value)));
        for (std::size_t k = 0; k < e.indices.size(); ++k)
            EXPECT_EQ(f.where.indices[k], e.indices[k]) << "index " << k;
        if (!e.point.empty()) {
            ASSERT_TRUE(f.where.has_point);
            EXPECT_NEAR(f.where.point.x(), e.point[0], 1e-6);
            EXPECT_NEAR(f.where.point.y(), e.point[1], 1e-6);
            EXPECT_NEAR(f.where.point.z(), e.point[2], 1e-6);
        }
    }
}

}  // namespace qt
