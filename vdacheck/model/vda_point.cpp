#include <vdacheck/model/vda_point.h>

const TypeInfo vdaPoint::id{"POINT", &vdaObject::id};
