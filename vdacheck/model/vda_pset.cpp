#include <vdacheck/model/vda_pset.h>

const TypeInfo vdaPset::id{"PSET", &vdaObject::id};
