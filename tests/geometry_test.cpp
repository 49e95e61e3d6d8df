#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <limits>

#include <vdacheck/geometry/gi_length.h>
#include <vdacheck/geometry/gi_point3.h>
#include <vdacheck/geometry/gi_vector3.h>
#include <vdacheck/geometry/gi_xform3.h>

namespace {

const double max_d = utMath::max_double();
const double nan_d = std::numeric_limits<double>::quiet_NaN();
const double inf_d = std::numeric_limits<double>::infinity();

giLength squared(double s)
{
    giLength l;
    l.become(gi_length_squared, s);
    return l;
}

// One row of the invalid / zero tables that lengths and vectors share.
template <class T>
struct ZeroCase {
    const char* what;
    T value;
    double tol;
    int invalid;
    int zero;
};

template <class T>
void expect_zero_tests(std::initializer_list<ZeroCase<T>> cases)
{
    for (const ZeroCase<T>& c : cases) {
        EXPECT_EQ(c.value.invalid(), c.invalid) << c.what;
        EXPECT_EQ(c.value.is_zero(c.tol), c.zero) << c.what;
    }
}

}  // namespace

TEST(giLength, ZeroTestInEveryForm)
{
    expect_zero_tests<giLength>({
        {"default is invalid", giLength(), max_d, 1, 0},
        {"plus the maximum is invalid", giLength(max_d), 1e300, 1, 0},
        {"squared 25 at tolerance 5 (inclusive)", squared(25), 5, 0, 1},
        {"squared 25 just above tolerance", squared(25), 4.999, 0, 0},
        {"unsquared 5 at tolerance 5", giLength(5), 5, 0, 1},
        {"unsquared 5 just above tolerance", giLength(5), 4.999, 0, 0},
        {"squared form compares with tol squared", squared(1e-10), 1e-5, 0, 1},
        {"squared NaN", squared(nan_d), max_d, 0, 0},
        {"unsquared NaN", giLength(nan_d), max_d, 0, 0},
        {"squared infinity", squared(inf_d), 1e100, 0, 0},
        {"NaN tolerance", giLength(1), nan_d, 0, 0},
    });
}

// A length kept squared or not, and a vector's cached length, give the length of what they hold now.
TEST(giVector3, LengthFollowsEveryChange)
{
    EXPECT_EQ(squared(25).value(), 5.0);
    EXPECT_EQ(giLength().value(), max_d);
    giVector3 v(3, 4, 0);
    EXPECT_EQ(v.length().value(), 5.0);
    const giVector3 copy = v;
    EXPECT_EQ(copy.length().value(), 5.0);
    EXPECT_EQ(v.cross(giVector3(0, 0, 2)), giVector3(8, -6, 0));
    EXPECT_EQ(cross(v, giVector3(0, 0, 2)).length().value(), 10.0);
    EXPECT_EQ(dot(v, giVector3(1, 2, 3)), 11.0);
    v.set(6, 8, 0);
    EXPECT_EQ(v.length().value(), 10.0);
    v.unitize();
    EXPECT_NEAR(v.length().value(), 1.0, 1e-15);
}

TEST(giVector3, ZeroTestRefusesTheSentinelAndNaN)
{
    expect_zero_tests<giVector3>({
        {"zero vector", giVector3(0, 0, 0), 0, 0, 1},
        {"x is minus the maximum, y and z zero", giVector3(-max_d, 0, 0), inf_d, 1, 0},
        {"y is minus the maximum", giVector3(0, -max_d, 0), 1e100, 0, 0},
        {"x is plus the maximum", giVector3(max_d, 0, 0), 1e100, 0, 0},
        {"x is minus infinity", giVector3(-inf_d, 0, 0), 1e100, 0, 0},
        {"NaN component", giVector3(nan_d, 0, 0), max_d, 0, 0},
        {"tiny vector", giVector3(1e-16, 0, 0), 1e-15, 0, 1},
    });
}

TEST(giVector3, UnitizeKeepsDirectionWithoutOverflow)
{
    const std::pair<giVector3, giVector3> cases[] = {{giVector3(3e200, 0, -4e200), giVector3(0.6, 0, -0.8)},
                                                     {giVector3(0, 3e-200, 4e-200), giVector3(0, 0.6, 0.8)},
                                                     {giVector3(0, 0, 0), giVector3(0, 0, 0)}};
    for (auto [v, unit] : cases) {
        v.unitize();
        EXPECT_NEAR(v.x() - unit.x(), 0, 1e-15);
        EXPECT_NEAR(v.y() - unit.y(), 0, 1e-15);
        EXPECT_NEAR(v.z() - unit.z(), 0, 1e-15);
    }
}

TEST(giPoint3, InvalidByTheSentinels)
{
    struct Case {
        giPoint3 p;
        int invalid;
    };
    const Case cases[] = {
        {giPoint3(0, 0, 0), 0},      {giPoint3(-max_d, 0, 0), 1},        {giPoint3(max_d, 0, 0), 1},
        {giPoint3(0, max_d, 0), 1},  {giPoint3(0, 0, max_d), 1},         {giPoint3(0, -max_d, 0), 0},
        {giPoint3(0, 0, -max_d), 0}, {giPoint3(nan_d, nan_d, nan_d), 0}, {giPoint3(-inf_d, inf_d, 0), 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.p.invalid(), c.invalid) << c.p.x() << ", " << c.p.y() << ", " << c.p.z();
}

// Uniform, negative, singular and NaN scales reach it through the TMAT check; these are the matrices that do not.
TEST(giXform3, MagnificationIsTheSignedCubeRootOfTheDeterminant)
{
    const double c = std::cos(0.3), s = std::sin(0.3);
    EXPECT_NEAR(giXform3({c, -s, 0, s, c, 0, 0, 0, 1}, {5, 6, 7}).magnification(), 1.0, 1e-12);
    EXPECT_NEAR(giXform3({1, 0, 0, 0, 2, 0, 0, 0, 4}, {5, 6, 7}).magnification(), 2.0, 1e-12);
    EXPECT_EQ(giXform3().magnification(), 1.0);
}
