#pragma once

#include <algorithm>
#include <stdexcept>
#include <utility>
#include <vector>

// One polynomial segment of a curve or a curve on a surface: a parameter interval, an order and
// order() coefficients (rising powers on the segment's unit interval). Point is giPoint3 for a space
// curve (vdaCurveSegment) and giPoint2 for a curve on a surface (vdaConsSegment).
// An order of 0 or less has no coefficients; the model keeps any order so that checks can report it.
template <class Point>
class vdaSegment {
public:
    // `coeffs` must hold max(order, 0) points (std::invalid_argument otherwise).
    vdaSegment(double start, double end, int order, std::vector<Point> coeffs)
        : start_(start), end_(end), order_(order), coeffs_(std::move(coeffs))
    {
        if (coeffs_.size() != static_cast<std::size_t>(std::max(order, 0)))
            throw std::invalid_argument("segment coefficients do not match its order");
    }
    // A segment whose order is its number of coefficients.
    vdaSegment(double start, double end, std::vector<Point> coeffs)
        : start_(start), end_(end), order_(static_cast<int>(coeffs.size())), coeffs_(std::move(coeffs))
    {
    }

    int order() const noexcept { return order_; }
    double start_parameter() const noexcept { return start_; }
    double end_parameter() const noexcept { return end_; }
    // Coefficient k, 0 <= k < order().
    const Point& coeffs(int k) const noexcept { return coeffs_[static_cast<std::size_t>(k)]; }
    const std::vector<Point>& all_coeffs() const noexcept { return coeffs_; }

private:
    double start_;
    double end_;
    int order_;
    std::vector<Point> coeffs_;
};

// The parameter range of a curve or cons (anything with num_segments() and segment(i)): from the start of
// its first segment to the end of its last. False, leaving `start` and `end` as they were, when it has no
// segments.
template <class Segmented>
bool vda_parameter_range(const Segmented& curve, double& start, double& end) noexcept
{
    const int n = curve.num_segments();
    if (n <= 0)
        return false;
    start = curve.segment(0).start_parameter();
    end = curve.segment(n - 1).end_parameter();
    return true;
}
