#pragma once

#include <vector>

#include <vdacheck/model/vda_cons_segment.h>
#include <vdacheck/model/vda_object.h>
#include <vdacheck/model/vda_object_ptr.h>
#include <vdacheck/util/ut_export.h>

// The CONS statement: a curve in the parameter plane of a surface (its basis surface), with the space
// curve that represents it in 3D and the range [start, end] of that curve's parameter it covers
// (start > end: the cons runs against the curve).
class VDA_API vdaCons : public vdaObject {
public:
    static const TypeInfo id;
    vdaCons(const utString& name, const utString& surface, const utString& curve, double start, double end,
            std::vector<vdaConsSegment> segments = {})
        : vdaObject(name), surface_(surface), curve_(curve), start_(start), end_(end), segments_(std::move(segments))
    {
    }
    const TypeInfo& type() const noexcept override { return id; }

    int num_segments() const noexcept { return static_cast<int>(segments_.size()); }
    const vdaConsSegment& segment(int i) const noexcept { return segments_[static_cast<std::size_t>(i)]; }
    void add_segment(vdaConsSegment segment)
    {
        segments_.push_back(std::move(segment));
        mark_changed();
    }
    // Replaces every segment (healing rewrites a cons's polynomials).
    void set_segments(std::vector<vdaConsSegment> segments)
    {
        segments_ = std::move(segments);
        mark_changed();
    }
    const std::vector<vdaConsSegment>& segments() const noexcept { return segments_; }

    vdaObjectPtr curve_3d() const noexcept { return resolve(curve_); }
    vdaObjectPtr basis_surface() const noexcept { return resolve(surface_); }
    const utString& curve_3d_name() const noexcept { return curve_; }
    const utString& basis_surface_name() const noexcept { return surface_; }
    void set_curve_3d(const utString& curve) noexcept
    {
        curve_ = curve;
        mark_changed();
    }
    void set_basis_surface(const utString& surface) noexcept
    {
        surface_ = surface;
        mark_changed();
    }

    double start_parameter() const noexcept { return start_; }
    double end_parameter() const noexcept { return end_; }
    void set_parameters(double start, double end) noexcept
    {
        start_ = start;
        end_ = end;
        mark_changed();
    }

private:
    utString surface_;
    utString curve_;
    double start_;
    double end_;
    std::vector<vdaConsSegment> segments_;
};
