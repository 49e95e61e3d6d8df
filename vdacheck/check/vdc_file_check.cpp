#include <vdacheck/check/vdc_file_check.h>

#include <vdacheck/entities/vdc_begin_set_check.h>
#include <vdacheck/entities/vdc_circle_check.h>
#include <vdacheck/entities/vdc_cons_check.h>
#include <vdacheck/entities/vdc_curve_check.h>
#include <vdacheck/entities/vdc_face_check.h>
#include <vdacheck/entities/vdc_group_check.h>
#include <vdacheck/entities/vdc_header_check.h>
#include <vdacheck/entities/vdc_mdi_check.h>
#include <vdacheck/entities/vdc_point_check.h>
#include <vdacheck/entities/vdc_pset_check.h>
#include <vdacheck/entities/vdc_surf_check.h>
#include <vdacheck/entities/vdc_tlist_check.h>
#include <vdacheck/entities/vdc_tmat_check.h>
#include <vdacheck/entities/vdc_top_check.h>
#include <vdacheck/model/vda_begin_set.h>
#include <vdacheck/model/vda_circle.h>
#include <vdacheck/model/vda_cons.h>
#include <vdacheck/model/vda_curve.h>
#include <vdacheck/model/vda_face.h>
#include <vdacheck/model/vda_file.h>
#include <vdacheck/model/vda_file_it.h>
#include <vdacheck/model/vda_group.h>
#include <vdacheck/model/vda_header.h>
#include <vdacheck/model/vda_mdi.h>
#include <vdacheck/model/vda_object_ptr.h>
#include <vdacheck/model/vda_point.h>
#include <vdacheck/model/vda_pset.h>
#include <vdacheck/model/vda_surf.h>
#include <vdacheck/model/vda_tlist.h>
#include <vdacheck/model/vda_tmat.h>
#include <vdacheck/model/vda_top.h>
#include <vdacheck/repair/vdc_fix_node.h>

namespace {

// Creates the check object of class Check on the entity, runs it and lets it go. An entity that claims
// the type but cannot be cast to it is skipped: no check may run on a null entity.
template <class Check, class Model>
void run_check(vdaObject& entity, vdcLog& log, vdcFileCheck& checker)
{
    if (Model* model = vda_cast<Model>(&entity)) {
        const Check check_object(*model);
        check_object.check(log, checker);
    }
}

struct DispatchRow {
    const TypeInfo* type;
    void (*run)(vdaObject&, vdcLog&, vdcFileCheck&);
};

// Tested in this order; the first type the entity has wins.
const DispatchRow dispatch_table[] = {
    {&vdaBeginSet::id, run_check<vdcBeginSetCheck, vdaBeginSet>},
    {&vdaCircle::id, run_check<vdcCircleCheck, vdaCircle>},
    {&vdaCons::id, run_check<vdcConsCheck, vdaCons>},
    {&vdaCurve::id, run_check<vdcCurveCheck, vdaCurve>},
    {&vdaFace::id, run_check<vdcFaceCheck, vdaFace>},
    {&vdaGroup::id, run_check<vdcGroupCheck, vdaGroup>},
    {&vdaHeader::id, run_check<vdcHeaderCheck, vdaHeader>},
    {&vdaMDI::id, run_check<vdcMDICheck, vdaMDI>},
    {&vdaPoint::id, run_check<vdcPointCheck, vdaPoint>},
    {&vdaPset::id, run_check<vdcPsetCheck, vdaPset>},
    {&vdaSurf::id, run_check<vdcSurfCheck, vdaSurf>},
    {&vdaTlist::id, run_check<vdcTlistCheck, vdaTlist>},
    {&vdaTmat::id, run_check<vdcTmatCheck, vdaTmat>},
    {&vdaTop::id, run_check<vdcTopCheck, vdaTop>},
};

}  // namespace

vdcFileCheck::vdcFileCheck() : reset_logs(1) {}

vdcFileCheck::~vdcFileCheck() = default;

int vdcFileCheck::check(const vdaFile& file)
{
    reset();
    reset_logs = 0;
    vdaFileIT it(file, 0);
    while (++it)
        check(vdaObjectPtr(it()));
    reset_logs = 1;
    return error_log.empty();
}

int vdcFileCheck::check(const vdaObjectPtr& entity)
{
    const utString name = entity->name();
    if (name_stack.empty())
        reset();
    name_stack.push_back(name);
    if (checked_names.try_emplace(name, '\0').second)
        do_check(entity);
    const int logged = error_log.num_logged(name);
    if (logged != 0)
        create_fix_nodes();
    name_stack.pop_back();
    return logged == 0 ? 1 : 0;
}

void vdcFileCheck::do_check(const vdaObjectPtr& entity)
{
    for (const DispatchRow& row : dispatch_table)
        if (entity->is_type(*row.type)) {
            row.run(*entity(), error_log, *this);
            return;
        }
}

void vdcFileCheck::reset()
{
    if (!reset_logs)
        return;
    error_log.clear();
    fixed_log.clear();
    checked_names.clear();
}
