#pragma once

#include <string>
#include <utility>
#include <vector>

#include <vdacheck/report/vdc_report_problem.h>

// What a report page shows besides the drawing of the model: the file, its problems and the entities they
// make faulty, as plain data.
struct vdcReport {
    struct Warning {       // a reader warning
        std::string rule;  // rule id
        int line = 0;
        int column = 0;
        std::string message;
    };

    std::string file;                                        // the model's file name, as the user gave it
    std::vector<std::pair<std::string, int>> entity_counts;  // command word and count, in the order shown
    std::vector<Warning> warnings;
    std::string command;  // the command line that made the report
    std::string version;  // of the program that made it

    std::vector<vdcReportProblem> problems;  // table rows, in the order shown
    std::vector<std::string> faulty;         // entities with problems of their own (drawn red)
    std::vector<std::string> referring;      // entities only referring to faulty ones (drawn orange)
};
