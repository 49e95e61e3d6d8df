#include <vdacheck/model/vda_header.h>

const TypeInfo vdaHeader::id{"HEADER", &vdaObject::id};
