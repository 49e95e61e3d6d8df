#pragma once

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include <tool/vdc_file_outcome.h>

// The end of a run over many files: how many files are clean, have problems or could not be read (or
// written), the most frequent rules, and the slowest files. Counts do not depend on the number of jobs;
// the times do.
class vdcBatchSummary {
public:
    static constexpr std::size_t top_rules = 10;
    static constexpr std::size_t top_files = 5;

    void add(const vdcFileOutcome& outcome);
    // The wall-clock time of the whole run.
    void set_seconds(double seconds) noexcept { seconds_ = seconds; }

    struct RuleCount {
        std::string_view rule;
        long count;
    };
    struct FileTime {
        std::string file;
        double seconds;
        std::uint64_t bytes;
    };
    // The `top_rules` most frequent rules, most frequent first (then by id).
    std::vector<RuleCount> rules() const;
    // The `top_files` slowest files, slowest first (then in input order).
    const std::vector<FileTime>& slowest() const noexcept { return slowest_; }
    std::size_t files() const noexcept { return clean_ + problems_ + unreadable_ + unwritten_; }

    // A few lines for a person, after a blank line.
    void write_text(std::ostream& out) const;
    // One line: {"summary": {...}}.
    void write_json(std::ostream& out) const;

private:
    std::size_t clean_ = 0;
    std::size_t problems_ = 0;
    std::size_t unreadable_ = 0;
    std::size_t unwritten_ = 0;
    std::uint64_t bytes_ = 0;
    double seconds_ = 0.0;
    std::map<std::string_view, long> per_rule_;
    std::vector<FileTime> slowest_;
};
