#include <tool/vdc_batch_summary.h>

#include <algorithm>
#include <cstdio>
#include <ostream>

#include <tool/vdc_json_report.h>

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
        out << right(time_text(f.seconds), 10) << "  " << f.file << " (" << size_text(f.bytes) << ")\n";
}

void vdcBatchSummary::write_json(std::ostream& out) const
{
    out << "{\"summary\": {\"files\": " << files() << ", \"clean\": " << clean_ << ", \"problems\": " << problems_
        << ", \"unreadable\": " << unreadable_ << ", \"unwritten\": " << unwritten_ << ", \"bytes\": " << bytes_
        << ", \"seconds\": " << vdc_json_number(seconds_) << ", \"rules\": [";
    const std::vector<RuleCount> top = rules();
    for (std::size_t i = 0; i < top.size(); ++i)
        out << (i ? ", " : "") << "{\"rule\": " << vdc_json_string(top[i].rule) << ", \"count\": " << top[i].count
            << '}';
    out << "], \"slowest\": [";
    for (std::size_t i = 0; i < slowest_.size(); ++i)
        out << (i ? ", " : "") << "{\"file\": " << vdc_json_string(slowest_[i].file)
            << ", \"seconds\": " << vdc_json_number(slowest_[i].seconds) << ", \"bytes\": " << slowest_[i].bytes << '}';
    out << "]}}\n";
}
