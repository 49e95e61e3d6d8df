#pragma once

#include <vdacheck/util/ut_string.h>

// An entity that repair gave a name of its own: an earlier entity had its name, so references to that name
// resolve to the earlier one, and they still do once the file is written with every name once.
struct vdcRename {
    utString from;     // the name it had
    utString to;       // the name it has now
    const char* type;  // its command word
    int line;          // the first line of its statement; 0 for an entity built in code
};
