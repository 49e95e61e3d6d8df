#include <vdacheck/model/vda_circle.h>

const TypeInfo vdaCircle::id{"CIRCLE", &vdaObject::id};
