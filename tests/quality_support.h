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

inline void expect_findings(const vdcQualityReport& report, const std::vector<Expected>& expected)
{
    ASSERT_EQ(report.findings.size(), expected.size());
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
