#include <vdacheck/model/vda_tlist.h>

const TypeInfo vdaTlist::id{"TLIST", &vdaElementList::id};
