#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// What the run made of one file: its report rendered for standard output, its messages for standard
// error, its exit status and what the summary counts. Workers fill it; the run writes it in input order.
struct vdcFileOutcome {
    enum class State { clean, problems, unreadable, unwritten };

    State state = State::unreadable;
    int status = 2;                  // the file's exit status: 0 clean, 1 problems left, 2 not read or not written
    std::string file;                // the name reports give it
    std::string out;                 // its report (for SARIF: its results, separated by commas)
    std::string err;                 // reader warnings (text), the reader's error, a save error
    std::string sarif_notification;  // SARIF: why the file could not be read or written
    std::uint64_t bytes = 0;
    double seconds = 0.0;                                             // read, command and save
    std::vector<std::pair<std::string_view, int>> problems_per_rule;  // rule id and count, by id
};
