#include <vdacheck/model/vda_trimmed_curve.h>

#include <vdacheck/model/vda_object.h>

void vdaTrimmedCurve::set_parameters(double start, double end) noexcept
{
    start_ = start;
    end_ = end;
    if (owner_)
        owner_->mark_changed();
}
