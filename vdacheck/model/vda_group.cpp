#include <vdacheck/model/vda_group.h>

const TypeInfo vdaGroup::id{"GROUP", &vdaElementList::id};
