#include <vdacheck/model/vda_tmat.h>

const TypeInfo vdaTmat::id{"TMAT", &vdaObject::id};
