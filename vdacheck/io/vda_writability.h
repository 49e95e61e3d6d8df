#pragma once

// Internal to the VDA-FS writer; not part of the library's interface.

class vdaObject;

// What VDA-FS cannot express, found before anything is written: names that are not VDA-FS names, null
// references, NaN and infinite values, segments and patches that do not share their breakpoints, HEADER
// text that does not fit a record, names too long to share a record with the command word.
class vdaWritability {
public:
    // Throws vdaWriteError naming the entity and why it cannot be written.
    static void check(const vdaObject& entity);
};
