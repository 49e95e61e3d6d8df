#pragma once

#include <filesystem>
#include <iosfwd>
#include <string>

#include <vdacheck/mesh/vda_tessellation_options.h>
#include <vdacheck/run/vdc_profile.h>
#include <vdacheck/util/ut_cancel.h>
#include <vdacheck/util/ut_replace_file.h>

// What a user does with a model; each is an entry point of vdcRun.
enum class vdcCommand {
    check,   // check it, and measure its geometric quality when asked
    fix,     // check, repair what can be repaired, and delete what stays faulty when asked
    repair,  // rounds of check, fix, check and delete until it checks clean
    report,  // check (and measure) it, draw it and write the report page
    heal,    // repair its structure, then close the quality findings small enough to heal
};

// How a command runs, the same value for every command: each reads what concerns it.
struct vdcRunOptions {
    vdcProfile profile;                   // which rules are reported, at which severity; the quality rules' tolerances
    bool quality = false;                 // check and report: measure the geometric quality too
    bool clean = false;                   // fix: then delete every entity that is still faulty
    int threads = 0;                      // for the quality run and the drawing; 0: every hardware thread
    utCancel cancel;                      // looked at now and then: a call it stops throws utCancelled (see vdcRun)
    vdaTessellationOptions tessellation;  // report: how the model is drawn (its `threads` is replaced)
    // fix, repair and heal: where the model is saved; report: where the page is written. Empty: nothing is
    // written. Written through a temporary file and a rename (`save`); "-" writes to `standard_output`.
    std::filesystem::path output;
    utReplaceOptions save;
    std::ostream* standard_output = nullptr;
    bool make_folders = false;  // create the folders `output` needs
    std::string file;           // the model's name in the reports; empty: the name it was read under
    std::string command;        // report: the command line shown in the page's header
    std::string version;        // report: the version of the program that made the page

    // heal: the largest gap closed and the largest distance any point moves (mm), and the largest kink made
    // tangent (degrees); the profile's quality tolerances decide what is a finding, before and after.
    double heal_tolerance = 0.1;
    double heal_angle = 1.0;
};
