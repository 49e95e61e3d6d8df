#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <vdacheck/check/vdc_logged_packet.h>
#include <vdacheck/model/vda_read_warning.h>
#include <vdacheck/quality/vdc_quality_profile.h>
#include <vdacheck/quality/vdc_quality_report.h>
#include <vdacheck/repair/vdc_rename.h>

struct vdcRule;

// One packet as a report shows it: the packet with the entity it stands under, its rule (null for a packet
// no check logs), for repair the round it belongs to (0 otherwise), and the column where the entity's
// statement starts (0 until vdcCliReport::locate_columns finds it).
struct vdcReportPacket {
    vdcLoggedPacket logged;
    const vdcRule* rule = nullptr;
    int round = 0;
    int column = 0;

    std::string_view entity() const noexcept { return logged.entity.view(); }
    std::string_view rule_id() const noexcept;
    // The name of the repair function the packet carries; empty when it has none.
    std::string_view repair() const noexcept;
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
    std::vector<vdcRename> renamed;      // repair only: entities given a name of their own
    bool cleaned = false;                // fix --clean
    std::string saved_to;                // fix and repair: the output written
    bool quality_run = false;            // check --quality: `quality` holds the measurements
    vdcQualityProfile quality_profile;   // the rules and tolerances they were measured with
    vdcQualityReport quality;
    std::vector<int> quality_columns;  // per finding, as packets' columns (after locate_columns)

    // Appends `packets` to `out`, each with `round`.
    static void add(std::vector<vdcLoggedPacket> packets, int round, std::vector<vdcReportPacket>& out);
    // Appends the packets `log` holds for the entities of `file`, in file order.
    static void add(const vdaFile& file, const vdcLog& log, std::vector<vdcReportPacket>& out);
    // Number of distinct entities that the packets stand under.
    static int count_entities(const std::vector<vdcReportPacket>& packets);
    // Sets the column of each packet and quality finding: that of the first character of its entity's
    // statement in `text`, the source the model was read from. One pass over the text.
    void locate_columns(std::string_view text);
    // The problems reported per rule id (packets in errors and fixed, and quality findings), ordered by
    // id; packets without a rule are not counted.
    std::vector<std::pair<std::string_view, int>> problems_per_rule() const;
};
