#include <vdacheck/rules/vdc_problem.h>

#include <algorithm>

#include <vdacheck/rules/vdc_rules.h>

namespace {

// The leading names of a quality rule's table row, as many as are set.
template <std::size_t N>
std::span<const char* const> named(const std::array<const char*, N>& names) noexcept
{
    const auto end = std::find(names.begin(), names.end(), nullptr);
    return {names.data(), static_cast<std::size_t>(end - names.begin())};
}

}  // namespace

std::span<const char* const> vdcProblem::index_names() const noexcept
{
    const std::optional<vdcQualityRule> quality = rule ? vdc_quality_rule_of(*rule) : std::nullopt;
    return quality ? named(vdc_quality_rule_info(*quality).indices) : std::span<const char* const>();
}

std::span<const char* const> vdcProblem::parameter_names() const noexcept
{
    const std::optional<vdcQualityRule> quality = rule ? vdc_quality_rule_of(*rule) : std::nullopt;
    return quality ? named(vdc_quality_rule_info(*quality).parameters) : std::span<const char* const>();
}

bool vdcProblem::fails() const noexcept
{
    if (severity == vdcSeverity::note)
        return false;
    return kind() != vdcRuleKind::read || severity == vdcSeverity::error;
}
