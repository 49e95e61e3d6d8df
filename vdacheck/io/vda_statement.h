#pragma once

// Internal to the VDA-FS reader; not part of the library's interface.

#include <cstddef>
#include <memory>

#include <vdacheck/model/vda_object.h>
#include <vdacheck/model/vda_source.h>
#include <vdacheck/util/ut_string.h>

// One statement as read, before it takes its place in the file (vdaFileAssembler): the reader of a chunk
// collects these, the file takes them in file order.
struct vdaStatement {
    enum class Kind { header, entity, beginset, endset, end };

    Kind kind = Kind::entity;
    std::unique_ptr<vdaObject> entity;  // HEADER and entity statements
    utString name;                      // BEGINSET, ENDSET and END
    int line = 0;                       // of its first record, counted from where its reader began
    vdaSource::Span span;               // lead: where the reader's previous statement ended
    std::size_t warnings = 0;           // warnings its reader had listed once it was read
};
