#include "check_support.h"

namespace {

struct Circle {
    giPoint3 centre{0, 0, 0};
    double radius = 5;
    giVector3 v{1, 0, 0};
    giVector3 w{0, 1, 0};
    double start = 0;
    double end = 90;
    // Builds the circle "E".
    void operator()(Model& m) const { m.add<vdaCircle>("E", centre, radius, v, w, start, end); }
};

const Packet v_length{"Circle entity has non-normalized v vector", {}, {}, fix_circle_vectors};
const Packet w_length{"Circle entity has non-normalized w vector", {}, {}, fix_circle_vectors};
const Packet orthogonal{"Circle entity has non-orthogonal plane vectors", {}, {}, fix_circle_vectors};
Packet angles(double s, double e) { return {"Circle entity has invalid angles", {}, {s, e}, fix_circle_angles}; }

}  // namespace

TEST(CircleCheck, LogsEachFaultOnceInSubCheckOrder)
{
    run_cases({
        {"clean quarter arc", Circle{}, {}},
        {"radius 0", Circle{.radius = 0}, {{"Circle entity has 0 or negative radius"}}},
        {"v of length 1.000005 is accepted", Circle{.v = {1.000005, 0, 0}}, {}},
        {"v of length 1.0001", Circle{.v = {1.0001, 0, 0}}, {v_length}},
        // Orthogonality is judged on the unitized vectors: unscaled, their dot product would exceed the tolerance.
        {"lengths 2 and 3, orthogonal once unitized",
         Circle{.v = {2, 0, 0}, .w = {0.000008, 3, 0}},
         {v_length, w_length}},
        {"unit but not orthogonal", Circle{.w = {0.6, 0.8, 0}}, {orthogonal}},
        {"every fault at once",
         Circle{{-max_d, 0, 0}, -2, {2, 0, 0}, {3, 0, 0}, 10, 0},
         {Packet("Circle entity has invalid centre point"), Packet("Circle entity has 0 or negative radius"), v_length,
          w_length, orthogonal, angles(10, 0)}},
    });
}

TEST(CircleCheck, AnglesLieInOneTurnAndRunForward)
{
    for (auto [s, e] : {std::pair{0.0, 360.0}, {-359.0, 1.0}, {nan_d, 10.0}})
        run_cases({{"valid angles", Circle{.start = s, .end = e}, {}}});
    for (auto [s, e] : {std::pair{90.0, 90.0}, {-360.0, 0.0}, {350.0, 360.5}, {-100.0, 300.0}})
        run_cases({{"invalid angles", Circle{.start = s, .end = e}, {angles(s, e)}}});
}
