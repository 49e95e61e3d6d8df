#include <tool/vdc_batch_summary.h>

#include <algorithm>
#include <cstdio>
#include <ostream>

#include <vdacheck/util/ut_json_writer.h>
#include <vdacheck/util/ut_terminal_text.h>

namespace {

std::string fixed(double value, int decimals)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    return buffer;
}

// "812 B", "12.3 kB", "1024.0 MB".
std::string size_text(std::uint64_t bytes)
{
    const auto b = static_cast<double>(bytes);
    if (bytes < 1000)
        return std::to_string(bytes) + " B";
    return b < 1e6 ? fixed(b / 1e3, 1) + " kB" : fixed(b / 1e6, 1) + " MB";
}

// "4.2 ms", "1.25 s".
std::string time_text(double seconds)
{
    return seconds < 1.0 ? fixed(seconds * 1e3, 1) + " ms" : fixed(seconds, 2) + " s";
}

// `text` right-aligned in `width` columns.
std::string right(const std::string& text, std::size_t width)
{
    return std::string(text.size() < width ? width - text.size() : 0, ' ') + text;
}

}  // namespace

void vdcBatchSummary::add(const vdcFileOutcome& outcome)
{
    switch (outcome.state) {
    case vdcFileOutcome::State::clean:
        ++clean_;
        break;
    case vdcFileOutcome::State::problems:
        ++problems_;
        break;
    case vdcFileOutcome::State::unreadable:
        ++unreadable_;
        break;
    case vdcFileOutcome::State::unwritten:
        ++unwritten_;
        break;
    }
    bytes_ += outcome.bytes;
    for (const auto& [rule, count] : outcome.problems_per_rule)
        per_rule_[rule] += count;

    // Keep the slowest few files that were read; a later file only displaces one that was strictly faster.
    if (outcome.state == vdcFileOutcome::State::unreadable)
        return;
    const FileTime time{outcome.file, outcome.seconds, outcome.bytes};
    const auto slower = [](const FileTime& a, const FileTime& b) { return a.seconds > b.seconds; };
    slowest_.insert(std::upper_bound(slowest_.begin(), slowest_.end(), time, slower), time);
    if (slowest_.size() > top_files)
        slowest_.pop_back();
}

std::vector<vdcBatchSummary::RuleCount> vdcBatchSummary::rules() const
{
    std::vector<RuleCount> all;
    all.reserve(per_rule_.size());
    for (const auto& [rule, count] : per_rule_)
        all.push_back({rule, count});
    // per_rule_ is ordered by id, so a stable sort by count breaks ties by id.
    std::stable_sort(all.begin(), all.end(), [](const RuleCount& a, const RuleCount& b) { return a.count > b.count; });
    if (all.size() > top_rules)
        all.resize(top_rules);
    return all;
}

void vdcBatchSummary::write_text(std::ostream& out) const
{
    out << "\nsummary: " << files() << (files() == 1 ? " file, " : " files, ") << size_text(bytes_) << " in "
        << time_text(seconds_) << ": " << clean_ << " clean, " << problems_ << " with problems, " << unreadable_
        << " unreadable";
    if (unwritten_ > 0)
        out << ", " << unwritten_ << " not saved";
    out << '\n';
    const std::vector<RuleCount> top = rules();
    if (!top.empty()) {
        out << "most frequent problems (" << top.size() << " of " << per_rule_.size()
            << (per_rule_.size() == 1 ? " rule):\n" : " rules):\n");
        for (const RuleCount& r : top)
            out << right(std::to_string(r.count), 10) << "  " << r.rule << '\n';
    }
    out << "slowest files:\n";
    for (const FileTime& f : slowest_)
        out << right(time_text(f.seconds), 10) << "  " << ut_terminal_text(f.file) << " (" << size_text(f.bytes)
            << ")\n";
}

void vdcBatchSummary::write_json(std::ostream& out) const
{
    utJsonWriter json(out, utJsonWriter::Style::line);
    json.begin_object().key("summary").begin_object();
    json.key("files")
        .integer(static_cast<std::int64_t>(files()))
        .key("clean")
        .integer(static_cast<std::int64_t>(clean_));
    json.key("problems").integer(static_cast<std::int64_t>(problems_));
    json.key("unreadable").integer(static_cast<std::int64_t>(unreadable_));
    json.key("unwritten").integer(static_cast<std::int64_t>(unwritten_));
    json.key("bytes").integer(static_cast<std::int64_t>(bytes_)).key("seconds").number(seconds_);
    json.key("rules").begin_array();
    for (const RuleCount& r : rules())
        json.begin_object().key("rule").string(r.rule).key("count").integer(r.count).end_object();
    json.end_array().key("slowest").begin_array();
    for (const FileTime& f : slowest_)
        json.begin_object()
            .key("file")
            .string(f.file)
            .key("seconds")
            .number(f.seconds)
            .key("bytes")
            .integer(static_cast<std::int64_t>(f.bytes))
            .end_object();
    json.end_array().end_object().end_object();
    out << '\n';
}
