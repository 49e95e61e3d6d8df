#pragma once

#include <array>
#include <cstddef>

#include <vdacheck/check/vdc_export.h>
#include <vdacheck/rules/vdc_quality_rules.h>

// Which quality rules run, and with which tolerance. A new profile runs every rule with its default
// tolerance from the rule table.
class VDC_API vdcQualityProfile {
public:
    vdcQualityProfile() noexcept;

    bool enabled(vdcQualityRule rule) const noexcept { return on_[index(rule)]; }
    double tolerance(vdcQualityRule rule) const noexcept { return tolerance_[index(rule)]; }
    void set_enabled(vdcQualityRule rule, bool on) noexcept { on_[index(rule)] = on; }
    void set_tolerance(vdcQualityRule rule, double tolerance) noexcept { tolerance_[index(rule)] = tolerance; }
    // Turns every rule on or off.
    void set_all_enabled(bool on) noexcept { on_.fill(on); }

private:
    static std::size_t index(vdcQualityRule rule) noexcept { return static_cast<std::size_t>(rule); }
    std::array<bool, vdc_num_quality_rules> on_;
    std::array<double, vdc_num_quality_rules> tolerance_;
};
