#include <vdacheck/model/vda_cons.h>

const TypeInfo vdaCons::id{"CONS", &vdaObject::id};
