#include <tool/vdc_profile_file.h>

#include <cmath>
#include <fstream>

#include <nlohmann/json.hpp>

#include <vdacheck/rules/vdc_quality_rules.h>

namespace {

using json = nlohmann::json;

[[noreturn]] void refuse(const std::string& path, const std::string& why) { throw vdcProfileError(path + ": " + why); }

std::string known_rules()
{
    std::string ids;
    for (const vdcQualityRuleInfo& rule : vdc_quality_rules)
        ids += std::string(ids.empty() ? "" : ", ") + rule.id;
    return ids;
}

json parsed(const std::string& path, auto&& input)
{
    try {
        return json::parse(input);
    } catch (const json::parse_error& e) {
        refuse(path, std::string("not valid JSON: ") + e.what());
    }
}

vdcQualityProfile profile_of(const std::string& path, const json& profile)
{
    if (!profile.is_object())
        refuse(path, "a quality profile is a JSON object with \"rules\"");

    vdcQualityProfile result;
    for (const auto& [key, value] : profile.items()) {
        if (key == "run_unlisted") {
            if (!value.is_boolean())
                refuse(path, "\"run_unlisted\" is true or false");
            if (!value.get<bool>())
                result.set_all_enabled(false);
        } else if (key != "rules") {
            refuse(path, "unknown key \"" + key + "\" (a profile has \"rules\" and \"run_unlisted\")");
        }
    }
    const auto rules = profile.find("rules");
    if (rules == profile.end())
        return result;
    if (!rules->is_object())
        refuse(path, "\"rules\" is an object of rule ids");
    for (const auto& [id, settings] : rules->items()) {
        const std::optional<vdcQualityRule> rule = vdc_quality_rule(id);
        if (!rule)
            refuse(path, "\"" + id + "\" is not a quality rule (the rules are " + known_rules() + ")");
        if (!settings.is_object())
            refuse(path, "rule \"" + id + "\" takes an object with \"enabled\" and \"tolerance\"");
        result.set_enabled(*rule, true);
        for (const auto& [key, value] : settings.items()) {
            if (key == "enabled") {
                if (!value.is_boolean())
                    refuse(path, "\"enabled\" of rule \"" + id + "\" is true or false");
                result.set_enabled(*rule, value.get<bool>());
            } else if (key == "tolerance") {
                if (!value.is_number() || !std::isfinite(value.get<double>()) || value.get<double>() < 0)
                    refuse(path, "\"tolerance\" of rule \"" + id + "\" is a number of at least 0");
                result.set_tolerance(*rule, value.get<double>());
            } else {
                refuse(path, "unknown key \"" + key + "\" in rule \"" + id + "\" (\"enabled\", \"tolerance\")");
            }
        }
    }
    return result;
}

}  // namespace

vdcQualityProfile vdc_read_profile_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        refuse(path, "cannot read the quality profile");
    return profile_of(path, parsed(path, in));
}

vdcQualityProfile vdc_parse_profile(std::string_view text, const std::string& source)
{
    return profile_of(source, parsed(source, text));
}
