#pragma once

#include <string>
#include <utility>
#include <vector>

#include <vdacheck/rules/vdc_problem.h>

// What a report page shows besides the drawing of the model: the file, its problems and the entities they
// make faulty, as plain data.
struct vdcReport {
    std::string file;                                        // the model's file name, as the user gave it
    std::vector<std::pair<std::string, int>> entity_counts;  // command word and count, in the order shown
    std::vector<vdcProblem> warnings;                        // the reader's, listed in the header
    std::string command;                                     // the command line that made the report
    std::string version;                                     // of the program that made it

    // Table rows, in the order shown: each with its rule, entity, type, line, message, values and repair, and
    // for quality findings the value, tolerance and unit, and the point where a marker stands (when finite).
    std::vector<vdcProblem> problems;
    std::vector<std::string> faulty;     // entities with problems of their own (drawn red)
    std::vector<std::string> referring;  // entities only referring to faulty ones (drawn orange)
};
