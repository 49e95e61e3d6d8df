#include <vdacheck/model/vda_curve.h>

const TypeInfo vdaCurve::id{"CURVE", &vdaObject::id};
