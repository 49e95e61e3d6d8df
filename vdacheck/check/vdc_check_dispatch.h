#pragma once

class vdaObject;
class vdcFileCheck;
class vdcLog;

// The checker's dispatch table: runs the check class of the entity's type on it, logging into `log`. The
// types are tested in a fixed order and the first the entity has wins; an entity of none of the fourteen
// types, or one that claims a type but cannot be cast to it, is not checked.
//
// The checker declares the table and the entity checks define it (entities/vdc_check_dispatch.cpp), so
// that the checker depends on no check class and the check classes depend on the checker.
void vdc_dispatch_check(vdaObject& entity, vdcLog& log, vdcFileCheck& checker);
