#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <vdacheck/check/vdc_logged_packet.h>
#include <vdacheck/model/vda_read_warning.h>

// One packet as a report shows it: the entity it stands under, its rule, the packet's values, the name of
// its repair function (empty when it has none), and for repair the round it belongs to (0 otherwise).
struct vdcReportPacket {
    std::string entity;
    std::string type;  // the VDA-FS command word of the entity
    int line = 0;      // first record of the entity's statement; 0 for an entity built in code
    std::string_view rule;  // the rule's id; empty for a packet no check logs
    std::string message;
    std::vector<int> ints;
    std::vector<double> doubles;
    std::string_view repair;
    int round = 0;

    static vdcReportPacket from(const vdcLoggedPacket& logged, int round = 0);
};

// The shortest text that reads back to the same finite double; `nan`, `inf` and `-inf` name the others
// (each report spells those in its own way).
std::string vdc_shortest_double(double value, const char* nan, const char* inf, const char* minus_inf);

// What one round of repair did, in numbers.
struct vdcReportRound {
    int found = 0;    // packets of the round's first check
    int fixed = 0;    // packets the round's fix repaired
    int deleted = 0;  // entities deleted at its end
    bool clean = false;
};

// The outcome of one command on one file, ready to be rendered as text or JSON.
struct vdcCliReport {
    enum class Kind { check, fix, repair };

    Kind kind = Kind::check;
    std::string file;
    int entities_read = 0;  // entities in the model as read
    int entities = 0;       // entities in the model after the command
    bool clean = false;
    std::vector<vdaReadWarning> warnings;
    std::vector<vdcReportPacket> errors;
    std::vector<vdcReportPacket> fixed;
    std::vector<std::string> deleted;
    std::vector<vdcReportRound> rounds;  // repair only
    bool cleaned = false;                // fix --clean
    std::string saved_to;                // fix and repair: the output written

    // Appends `packets` to `out`, each with `round`.
    static void add(const std::vector<vdcLoggedPacket>& packets, int round, std::vector<vdcReportPacket>& out);
    // Number of distinct entities that the packets stand under.
    static int count_entities(const std::vector<vdcReportPacket>& packets);
};
