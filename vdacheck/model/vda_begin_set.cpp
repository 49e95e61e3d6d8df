#include <vdacheck/model/vda_begin_set.h>

const TypeInfo vdaBeginSet::id{"BEGINSET", &vdaElementList::id};
