#pragma once

// Internal to the VDA-FS writer; not part of the library's interface.

#include <cstddef>

class vdaObject;
class vdaRecordWriter;

// Writes one entity afresh as a VDA-FS statement, in the layout the format gives each command word. The
// entity must be writable (vdaWritability::check).
class vdaStatementWriter {
public:
    explicit vdaStatementWriter(vdaRecordWriter& records) noexcept : records_(records) {}
    void write(const vdaObject& entity);

    // The size of the first parameter of the entity's statement as it will be written: it shares the
    // record of the command word, so it decides whether that record can hold the name.
    static std::size_t first_token_size(const vdaObject& entity);

private:
    vdaRecordWriter& records_;
};
