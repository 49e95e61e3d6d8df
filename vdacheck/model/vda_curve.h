#pragma once

#include <vector>

#include <vdacheck/model/vda_curve_segment.h>
#include <vdacheck/model/vda_object.h>
#include <vdacheck/util/ut_export.h>

// The CURVE statement: a piecewise polynomial space curve.
class VDA_API vdaCurve : public vdaObject {
public:
    static const TypeInfo id;
    explicit vdaCurve(const utString& name, std::vector<vdaCurveSegment> segments = {})
        : vdaObject(name), segments_(std::move(segments))
    {
    }
    const TypeInfo& type() const noexcept override { return id; }

    int num_segments() const noexcept { return static_cast<int>(segments_.size()); }
    const vdaCurveSegment& segment(int i) const noexcept { return segments_[static_cast<std::size_t>(i)]; }
    void add_segment(vdaCurveSegment segment)
    {
        segments_.push_back(std::move(segment));
        mark_changed();
    }
    // Replaces every segment (healing rewrites a curve's polynomials).
    void set_segments(std::vector<vdaCurveSegment> segments)
    {
        segments_ = std::move(segments);
        mark_changed();
    }
    const std::vector<vdaCurveSegment>& segments() const noexcept { return segments_; }

private:
    std::vector<vdaCurveSegment> segments_;
};
