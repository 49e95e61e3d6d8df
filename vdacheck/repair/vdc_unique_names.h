#pragma once

#include <vector>

#include <vdacheck/check/vdc_export.h>
#include <vdacheck/repair/vdc_rename.h>

class vdaFile;

// Gives every entity whose name an earlier entity has a fresh VDA-FS name (1 to 8 of A-Z and 0-9, a
// letter first) that no entity has and no reference names, made from its old one ("S1" becomes "S1D2"), and
// updates the sets that hold it. References resolve as before: to the first entity of each name. Once
// names are unique, which entity comes first no longer depends on the order a writer gives, and the
// checker, which looks at the first entity of a name only, looks at every entity. Returns the renames in
// file order.
VDC_API std::vector<vdcRename> vdc_give_unique_names(vdaFile& file);
