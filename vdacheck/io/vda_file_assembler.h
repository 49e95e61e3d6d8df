#pragma once

// Internal to the VDA-FS reader; not part of the library's interface.

#include <cstdint>
#include <memory>
#include <vector>

#include <vdacheck/io/vda_diagnostics.h>
#include <vdacheck/io/vda_statement.h>
#include <vdacheck/util/ut_string.h>

class vdaBeginSet;
class vdaFile;
class vdaSource;

// Builds the file from its statements, taken in file order: entities join the file with their lines and
// source spans, a set collects the entities between its BEGINSET and ENDSET, END closes the file. The
// warnings that need the statements before (duplicate names, nested and unclosed sets, END) and the errors of
// unmatched ENDSETs are raised here.
class vdaFileAssembler {
public:
    // `file` must be empty and hold the source text.
    vdaFileAssembler(vdaFile& file, vdaDiagnostics& diagnostics);

    // Places the next statement; its line counts from after `line_offset` records. False once END is placed:
    // what follows END is not read.
    bool place(vdaStatement&& statement, int line_offset);
    // Makes room for about `statements` more statements, so that placing them moves nothing.
    void expect(std::size_t statements);
    // After the last statement, with the whole text in the source: a missing END, sets still open, records
    // after END, the closing summaries of the warnings. `records`: the number of records in the text.
    void finish(int records);

private:
    struct OpenSet {
        vdaBeginSet* set;
        std::uint32_t slot;
    };

    vdaObject& add(std::unique_ptr<vdaObject> entity, int line, const vdaSource::Span& span);
    void begin_set(const utString& name, int line, const vdaSource::Span& span);
    void end_set(const utString& name, int line, const vdaSource::Span& span);
    void end(const utString& name, int line, const vdaSource::Span& span);
    void close_open_sets(const char* where);

    vdaFile& file_;
    vdaSource& source_;
    vdaDiagnostics& diag_;
    utString header_name_;
    std::size_t item_start_ = 0;      // where the comments before the next statement begin
    std::vector<OpenSet> open_;       // innermost last
    int end_line_ = 0;                // the last record read when END was met
    std::size_t end_record_end_ = 0;  // the first byte after END's record
};
