#pragma once

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include <vdacheck/util/ut_json_writer.h>

struct vdcRunResult;

// One SARIF 2.1.0 log for a whole run, written as the run goes: the head (the tool and the full rule
// table of the registry), then the results of each file as they come, then the invocation with the exit
// status and the notifications of files that could not be read or written. The pieces of one file are
// made by results() and notification() on any thread; the log itself is written by one.
class vdcSarifLog {
public:
    explicit vdcSarifLog(std::ostream& out) : out_(out), json_(out, utJsonWriter::Style::line) {}

    // Writes everything up to the first result; `working_folder` is what relative artifact URIs are
    // relative to.
    void begin(const std::string& working_folder);
    // Appends the results of one file (made by results(); empty for none) and remembers its notification.
    void add(const std::string& results, std::string notification);
    // Closes the log with the run's exit status.
    void end(int exit_status);

    // The artifactLocation of a file as the command line names it: a URI relative to the working folder
    // (an absolute file URI for a file outside it); standard input ("-") has only a description.
    static std::string artifact(const std::string& path, const std::string& working_folder);
    // The results of one file's report, as JSON objects separated by commas: its reader warnings, its
    // packets (for fix, repair and heal, those left or deleted, then those repaired, as notes), then its
    // quality findings (for heal, those healed, as notes with a fix naming `saved`, the artifactLocation of
    // the model saved, if any, then those left). Columns come from the result's locate_columns.
    static std::string results(const vdcRunResult& result, const std::string& artifact, const std::string& saved = {});
    // A toolExecutionNotification for a file that could not be read (`read` true) or saved; `line` 0: no
    // position.
    static std::string notification(bool read, const std::string& artifact, int line, int column,
                                    std::string_view message);
    // `text` with every byte but unreserved characters and '/' percent-encoded, as a URI path needs.
    static std::string uri_path(std::string_view text);

private:
    std::ostream& out_;
    utJsonWriter json_;
    std::vector<std::string> notifications_;
};
