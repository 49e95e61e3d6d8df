#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// One row of a report's problem table: a packet of the error log, a geometric quality finding or a
// warning, with the entity it stands under.
struct vdcReportProblem {
    enum class Kind : std::uint8_t { error, quality, warning };

    Kind kind = Kind::error;
    std::string rule;    // rule id
    std::string entity;  // name of the entity
    std::string type;    // its command word
    int line = 0;        // first line of its statement; 0 for an entity built in code
    std::string message;
    std::vector<int> ints;
    std::vector<double> doubles;
    // Quality findings: the value measured, the tolerance it broke and their unit.
    std::optional<double> value;
    std::optional<double> tolerance;
    std::string unit;
    std::string repair;                          // name of the repair function; empty when there is none
    std::optional<std::array<double, 3>> point;  // where in the model the problem is, when it has a place
                                                 // (marked in 3-D when finite)
};
