#include <vdacheck/check/vdc_check_dispatch.h>

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
#include <vdacheck/model/vda_types.h>

namespace {

// The check classes in the order their model types are tested.
template <class... Check>
struct CheckList {
    template <class F>
    static bool any(F&& f)
    {
        return (f.template operator()<Check>() || ...);
    }
};
using DispatchOrder = CheckList<vdcBeginSetCheck, vdcCircleCheck, vdcConsCheck, vdcCurveCheck, vdcFaceCheck,
                                vdcGroupCheck, vdcHeaderCheck, vdcMDICheck, vdcPointCheck, vdcPsetCheck, vdcSurfCheck,
                                vdcTlistCheck, vdcTmatCheck, vdcTopCheck>;

}  // namespace

void vdc_dispatch_check(vdaObject& entity, vdcLog& log, vdcFileCheck& checker)
{
    DispatchOrder::any([&]<class Check>() {
        using Model = typename Check::model_type;
        if (!entity.is_type(Model::id))
            return false;
        // An entity that claims the type but cannot be cast to it is skipped: no check may run on a null entity.
        if (Model* model = vda_cast<Model>(&entity)) {
            const Check check_object(*model);
            check_object.check(log, checker);
        }
        return true;
    });
}
