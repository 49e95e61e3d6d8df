#include <vdacheck/quality/vdc_quality_profile.h>

vdcQualityProfile::vdcQualityProfile() noexcept
{
    on_.fill(true);
    for (std::size_t i = 0; i < vdc_num_quality_rules; ++i)
        tolerance_[i] = vdc_quality_rules[i].default_tolerance;
}
