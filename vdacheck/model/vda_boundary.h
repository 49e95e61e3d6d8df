#pragma once

#include <vector>

#include <vdacheck/model/vda_trimmed_curve.h>
#include <vdacheck/util/ut_export.h>

// One closed boundary loop of a face: its trimming curves in order.
class VDA_API vdaBoundary {
public:
    vdaBoundary() = default;
    explicit vdaBoundary(std::vector<vdaTrimmedCurve> segments) : segments_(std::move(segments)) {}

    int num_curve_segments() const noexcept { return static_cast<int>(segments_.size()); }
    const vdaTrimmedCurve& curve_segment(int s) const noexcept { return segments_[static_cast<std::size_t>(s)]; }
    vdaTrimmedCurve& curve_segment(int s) noexcept { return segments_[static_cast<std::size_t>(s)]; }
    void add_curve_segment(const vdaTrimmedCurve& segment);

    // The owning face; see vdaTrimmedCurve::owner.
    vdaObject* owner() const noexcept { return owner_; }
    void set_owner(vdaObject* owner) noexcept;

private:
    std::vector<vdaTrimmedCurve> segments_;
    vdaObject* owner_ = nullptr;
};
