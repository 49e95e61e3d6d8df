#include <vdacheck/rules/vdc_rules.h>

#include <algorithm>
#include <array>
#include <cstring>

#include <vdacheck/rules/vdc_check_rules.h>
#include <vdacheck/rules/vdc_quality_rules.h>

namespace {

// The reader's rules, one per kind of warning, in the order of vdaWarningKind.
constexpr vdcRule read_rule(std::string_view id, const char* message, std::string_view help)
{
    return {id, vdcRuleKind::read, vdcSeverity::warning, "", "", message, nullptr, "", help, 0.0, "", false};
}
constexpr vdcRule read_rules[] = {
    read_rule("read-comment-before-header", "comment before the HEADER",
              "A comment stands before the HEADER statement, which should open the file; it is kept as read."),
    read_rule("read-indented-comment", "comment after leading blanks",
              "A comment record starts its '$$' after blanks instead of in column 1; it is read as a comment."),
    read_rule("read-blank-record", "blank record", "A record holds nothing but blanks; it is ignored."),
    read_rule("read-tab", "TAB used as a blank", "A TAB character stands where VDA-FS has blanks; it is read as one."),
    read_rule("read-nonstandard-name", "non-standard name",
              "A name is not 1 to 8 upper-case letters and digits starting with a letter; it is read as written."),
    read_rule("read-integer-for-real", "integer where a real is expected",
              "A number without a decimal point stands where a real is expected; it is read as that real."),
    read_rule("read-real-for-integer", "real where an integer is expected",
              "A number with a decimal point but an integral value stands where an integer is expected; it is read "
              "as that integer."),
    read_rule("read-lower-case-exponent", "lower-case exponent letter",
              "A real writes its exponent letter in lower case; it is read as the upper-case letter."),
    read_rule("read-underflow", "value too small for a double, read as 0",
              "A real is too small to be told from zero in double precision; it is read as 0."),
    read_rule("read-duplicate-name", "duplicate name",
              "Two statements carry the same name; both are kept, and references resolve to the first."),
    read_rule("read-nested-set", "nested set",
              "A BEGINSET stands inside another set, which VDA-FS does not allow; it becomes a member of the outer "
              "set."),
    read_rule("read-unclosed-set", "set not closed", "A set has no ENDSET; it ends at END or at the end of the file."),
    read_rule("read-end-name", "END name differs from the HEADER name",
              "The END statement carries another name than the HEADER; it is read all the same."),
    read_rule("read-missing-end", "missing END", "The file ends without an END statement; it is read to its end."),
    read_rule("read-records-after-end", "records after END", "Records follow the END statement; they are ignored."),
};
static_assert(std::size(read_rules) == static_cast<std::size_t>(vdaWarningKind::count_));

// The entity type a quality rule measures: the command word its id starts with.
constexpr std::string_view quality_entity(std::string_view id)
{
    for (std::string_view word : {"CURVE", "SURF", "CONS", "FACE", "TOP"}) {
        bool same = id.size() > word.size() && id[word.size()] == '-';
        for (std::size_t i = 0; same && i < word.size(); ++i)
            same = id[i] == word[i] - 'A' + 'a';
        if (same)
            return word;
    }
    return "";
}

// Why a conversion to STEP, IGES or glTF leaves an entity out, beyond what the checks and the gap rules find
// (which leave it out under their own rules). What a format cannot carry is a note; the rest loses geometry.
constexpr vdcRule convert_rule(std::string_view id, std::string_view entity, const char* message, std::string_view help,
                               vdcSeverity severity = vdcSeverity::error, std::string_view unit = "")
{
    return {id, vdcRuleKind::convert, severity, entity, "", message, nullptr, "", help, 0.0, unit, false};
}
constexpr vdcRule convert_rules[] = {
    convert_rule("convert-uses-left-out", "", "uses an entity that is left out",
                 "The entity refers to one that is left out (a CONS to its SURF or CURVE, a FACE to its SURF or a "
                 "CONS, a TOP to a side, a TLIST to its TMAT), so it cannot be built either."),
    convert_rule("convert-unused", "", "used only by what is left out",
                 "Every entity that would carry it is left out (a SURF trimmed only by faces left out, the space "
                 "curve of a CONS left out, a TMAT of no TLIST exported, a TOP a side of which is not exported "
                 "as a face), so nothing takes it into the output."),
    convert_rule("convert-empty", "", "no member is exported",
                 "None of the members of the GROUP, set or TLIST is exported on its own, so there is nothing to "
                 "gather."),
    convert_rule("convert-transform", "TMAT", "not a rotation and a translation",
                 "An assembly places its members by a rotation and a translation only; a matrix that scales, "
                 "shears or mirrors cannot place them."),
    convert_rule("convert-duplicate-name", "", "an earlier entity has the same name",
                 "Every reference reaches the first entity of a name, so a later one is not checked and is left "
                 "out; repair gives it a name of its own first."),
    convert_rule("convert-not-measured", "", "its gaps cannot be measured",
                 "The gaps that decide whether its pieces join could not be measured (a hole without area, say), "
                 "so it is not converted."),
    convert_rule("convert-face-not-built", "", "OCCT cannot build its face",
                 "OCCT cannot make a face of it: the curves of a boundary piece, an edge or the surface cannot be "
                 "made, or OCCT failed."),
    convert_rule("convert-invalid-face", "FACE", "OCCT's checker finds its face invalid",
                 "The face built from the FACE does not pass OCCT's checker (BRepCheck_Analyzer), so a receiving "
                 "system could not use it."),
    convert_rule("convert-not-built", "", "OCCT cannot build its shape",
                 "OCCT cannot make the edge or vertex of the curve, circle or point."),
    convert_rule("convert-not-sewn", "TOP", "its faces do not sew into one valid shell",
                 "OCCT's sewing, at the tolerance of the measured edge gap, does not join the faces of the TOP "
                 "into one shell that passes OCCT's checker; the faces are exported unsewn.",
                 vdcSeverity::error, "mm"),
    convert_rule("convert-not-drawn", "FACE", "its boundary cannot be triangulated",
                 "The drawing that glTF holds cannot trim the face by its boundary as the model gives it."),
    convert_rule("convert-format", "", "the format does not carry it",
                 "The output format has no place for the entity: IGES, as OCCT writes it, no assemblies; glTF no "
                 "groups, sets or topology. Chosen with the format, so a note.",
                 vdcSeverity::note),
};

constexpr std::size_t check_count = std::size(vdc_check_rules);
constexpr std::size_t read_count = std::size(read_rules);
constexpr std::size_t quality_count = vdc_num_quality_rules;
constexpr std::size_t convert_count = std::size(convert_rules);

constexpr std::array<vdcRule, check_count + read_count + quality_count + convert_count> all_rules = [] {
    std::array<vdcRule, check_count + read_count + quality_count + convert_count> all{};
    std::size_t k = 0;
    for (const vdcRule& r : vdc_check_rules)
        all[k++] = r;
    for (const vdcRule& r : read_rules)
        all[k++] = r;
    // A quality finding is a measurement against a tolerance the user may set: a warning, like the
    // reader's, while every structural problem is an error.
    for (const vdcQualityRuleInfo& q : vdc_quality_rules)
        all[k++] = {q.id,
                    vdcRuleKind::quality,
                    vdcSeverity::warning,
                    quality_entity(q.id),
                    "",
                    q.help,
                    nullptr,
                    "",
                    q.help,
                    q.default_tolerance,
                    q.unit,
                    false};
    for (const vdcRule& r : convert_rules)
        all[k++] = r;
    return all;
}();
static_assert(std::all_of(all_rules.begin() + check_count + read_count,
                          all_rules.begin() + check_count + read_count + quality_count,
                          [](const vdcRule& r) { return !r.entity.empty(); }),
              "a quality rule whose id names no entity type");

// Every id once.
constexpr bool unique_ids()
{
    for (std::size_t i = 0; i < all_rules.size(); ++i)
        for (std::size_t j = i + 1; j < all_rules.size(); ++j)
            if (all_rules[i].id == all_rules[j].id)
                return false;
    return true;
}
static_assert(unique_ids(), "two rules share an id");

}  // namespace

std::span<const vdcRule> vdc_rules() noexcept { return all_rules; }

const vdcRule* vdc_find_rule(std::string_view id) noexcept
{
    for (const vdcRule& rule : all_rules)
        if (rule.id == id)
            return &rule;
    return nullptr;
}

const vdcRule* vdc_rule_of(const vdcErrorPacket& packet) noexcept
{
    // Packets logged by the checks share the rule's own text, so the address decides at once.
    const utString& message = packet.error_message();
    const std::span<const vdcRule> checks(all_rules.data(), check_count);
    for (const vdcRule& rule : checks)
        if (message.c_str() == rule.message)
            return &rule;
    for (const vdcRule& rule : checks)
        if (message == rule.message)
            return &rule;
    return nullptr;
}

const vdcRule& vdc_rule_of(vdaWarningKind kind) noexcept
{
    return all_rules[check_count + static_cast<std::size_t>(kind)];
}

const vdcRule& vdc_rule_of(vdcQualityRule rule) noexcept
{
    return all_rules[check_count + read_count + static_cast<std::size_t>(rule)];
}

std::optional<vdcQualityRule> vdc_quality_rule_of(const vdcRule& rule) noexcept
{
    if (rule.kind != vdcRuleKind::quality)
        return std::nullopt;
    return static_cast<vdcQualityRule>(vdc_rule_index(rule) - check_count - read_count);
}

std::size_t vdc_rule_index(const vdcRule& rule) noexcept { return static_cast<std::size_t>(&rule - all_rules.data()); }
