#include <vdacheck/run/vdc_profile.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>
#include <system_error>

#include <vdacheck/rules/vdc_rules.h>
#include <vdacheck/util/ut_json_reader.h>

vdcProfile::vdcProfile()
{
    settings_.reserve(vdc_rules().size());
    for (const vdcRule& rule : vdc_rules())
        settings_.push_back({true, rule.severity});
}

bool vdcProfile::enabled(const vdcRule& rule) const noexcept
{
    if (const std::optional<vdcQualityRule> quality = vdc_quality_rule_of(rule))
        return quality_.enabled(*quality);
    return settings_[vdc_rule_index(rule)].enabled;
}

vdcSeverity vdcProfile::severity(const vdcRule& rule) const noexcept
{
    return settings_[vdc_rule_index(rule)].severity;
}

double vdcProfile::tolerance(const vdcRule& rule) const noexcept
{
    const std::optional<vdcQualityRule> quality = vdc_quality_rule_of(rule);
    return quality ? quality_.tolerance(*quality) : 0.0;
}

void vdcProfile::set_enabled(const vdcRule& rule, bool on) noexcept
{
    if (const std::optional<vdcQualityRule> quality = vdc_quality_rule_of(rule))
        quality_.set_enabled(*quality, on);
    else
        settings_[vdc_rule_index(rule)].enabled = on;
}

void vdcProfile::set_severity(const vdcRule& rule, vdcSeverity severity) noexcept
{
    settings_[vdc_rule_index(rule)].severity = severity;
}

void vdcProfile::set_quality_enabled(bool on) noexcept { quality_.set_all_enabled(on); }

void vdcProfile::set_tolerance(const vdcRule& rule, double tolerance) noexcept
{
    if (const std::optional<vdcQualityRule> quality = vdc_quality_rule_of(rule))
        quality_.set_tolerance(*quality, tolerance);
}

namespace {

// Reads one profile's JSON into a profile, refusing what it cannot use with the source's name and the key.
class ProfileReader {
public:
    ProfileReader(const std::string& source, std::string_view what) : source_(source), what_(what) {}

    vdcProfile read(std::string_view text) const
    {
        utJsonValue json;
        try {
            json = utJsonReader::parse(text);
        } catch (const utJsonError& e) {
            if (e.kind() == utJsonError::Kind::syntax)
                refuse("not valid JSON at line " + std::to_string(e.line()) + ", column " + std::to_string(e.column()) +
                       ": " + e.reason());
            refuse(e.what());
        }
        if (!json.is_object())
            refuse("a " + std::string(what_) + " is a JSON object with \"rules\"");

        vdcProfile profile;
        for (const auto& [key, value] : json.members()) {
            if (key == "run_unlisted") {
                if (!value.is_boolean())
                    refuse("\"run_unlisted\" is true or false");
                if (!value.boolean())
                    profile.set_quality_enabled(false);
            } else if (key != "rules") {
                refuse("unknown key \"" + key + "\" (a profile has \"rules\" and \"run_unlisted\")");
            }
        }
        const utJsonValue* rules = json.find("rules");
        if (!rules)
            return profile;
        if (!rules->is_object())
            refuse("\"rules\" is an object of rule ids");
        for (const auto& [id, settings] : rules->members())
            read_rule(profile, id, settings);
        return profile;
    }

private:
    [[noreturn]] void refuse(const std::string& why) const { throw vdcProfileError(source_ + ": " + why); }

    void read_rule(vdcProfile& profile, const std::string& id, const utJsonValue& settings) const
    {
        const vdcRule* rule = vdc_find_rule(id);
        if (!rule)
            refuse("\"" + id + "\" is not a quality rule, nor a check, reader or conversion rule");
        const bool measured = rule->kind == vdcRuleKind::quality;
        const std::string keys = measured ? "\"enabled\", \"severity\", \"tolerance\"" : "\"enabled\", \"severity\"";
        if (!settings.is_object())
            refuse("rule \"" + id + "\" takes an object with " + keys);
        if (measured)
            profile.set_enabled(*rule, true);  // a quality rule named is measured, whatever "run_unlisted" says
        for (const auto& [key, value] : settings.members()) {
            const std::string of_rule = "\"" + key + "\" of rule \"" + id + "\"";
            if (key == "enabled") {
                if (!value.is_boolean())
                    refuse(of_rule + " is true or false");
                profile.set_enabled(*rule, value.boolean());
            } else if (key == "severity") {
                const std::optional<vdcSeverity> severity =
                    value.is_string() ? vdc_severity_named(value.string()) : std::nullopt;
                if (!severity)
                    refuse(of_rule + " is \"error\", \"warning\" or \"note\"");
                profile.set_severity(*rule, *severity);
            } else if (key == "tolerance") {
                if (!measured)
                    refuse(of_rule + ": the rule measures nothing, so it has no tolerance");
                // An angle beyond a half turn cannot be measured between two directions.
                const double most = rule->unit == "deg" ? 180.0 : HUGE_VAL;
                if (!value.is_number() || !(value.number() >= 0.0) || value.number() > most)
                    refuse(of_rule + " is a number of at least 0" + (most < HUGE_VAL ? " and at most 180" : ""));
                profile.set_tolerance(*rule, value.number());
            } else {
                refuse("unknown key \"" + key + "\" in rule \"" + id + "\" (" + keys + ")");
            }
        }
    }

    const std::string& source_;
    std::string_view what_;
};

}  // namespace

vdcProfile vdcProfile::load(const std::filesystem::path& path, std::string_view what)
{
    const std::string source = path.string();
    const auto cannot = [&](const std::string& why) {
        return vdcProfileError(source + ": cannot read the " + std::string(what) + ": " + why);
    };
    std::error_code error;
    if (std::filesystem::is_directory(path, error))
        throw cannot("it is a folder");
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw cannot(std::strerror(errno));
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad())
        throw cannot(std::strerror(errno));
    return parse(text.str(), source, what);
}

vdcProfile vdcProfile::parse(std::string_view text, const std::string& source, std::string_view what)
{
    return ProfileReader(source, what).read(text);
}
