#pragma once

#include <vdacheck/check/vdc_export.h>
#include <vdacheck/entities/vdc_entity_check.h>

class vdaTlist;

// A transformation list: its reference to the matrix entity and its element references (null, of a
// type a list may not hold, or leading to a faulty entity). Both kinds are followed through the checker.
class VDC_API vdcTlistCheck : public vdcEntityCheck {
public:
    using model_type = vdaTlist;
    explicit vdcTlistCheck(vdaTlist& entity) : entity(entity) {}
    ~vdcTlistCheck() override;
    void check(vdcLog& log, vdcFileCheck& checker) const override;

protected:
    void check_null_tmat_ptr(vdcLog& log, vdcFileCheck& checker) const;
    void check_tmat_ptr_type(vdcLog& log, vdcFileCheck& checker) const;
    void check_tmat_ptr(vdcLog& log, vdcFileCheck& checker) const;
    void check_null_entity_ptr(vdcLog& log, vdcFileCheck& checker) const;
    void check_entity_ptr_type(vdcLog& log, vdcFileCheck& checker) const;
    void check_entity_ptr(vdcLog& log, vdcFileCheck& checker) const;

    vdaTlist& entity;
};
