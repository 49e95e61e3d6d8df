#include <vdacheck/repair/vdc_repair.h>

#include <vdacheck/check/vdc_file_check.h>
#include <vdacheck/check/vdc_file_check_acc.h>
#include <vdacheck/model/vda_current_file.h>
#include <vdacheck/model/vda_element_list.h>
#include <vdacheck/model/vda_file.h>
#include <vdacheck/repair/vdc_unique_names.h>

namespace {

// VDA-FS cannot write a null element, and fix accepted the packets that reported them.
void remove_null_elements(vdaFile& file)
{
    for (vdaObject& entity : file)
        if (auto* list = vda_cast<vdaElementList>(&entity))
            list->remove_null_elements();
}

// One round; true when the model checks clean at a check of the round.
bool repair_round(vdaFile& file, vdcRepairRound& round, const utCancel& cancel)
{
    {
        vdcFileCheck checker(cancel);
        const vdcFileCheckAcc access(&checker);
        if (checker.check(file))
            return round.clean = true;
        round.found = vdc_logged_packets(file, access.error_log());
        checker.fix();
        round.repaired = vdc_logged_packets(file, access.fixed_log());
    }
    remove_null_elements(file);

    vdcFileCheck again(cancel);
    const vdcFileCheckAcc access(&again);
    if (again.check(file))
        return round.clean = true;
    round.deleted = vdc_logged_packets(file, access.error_log());
    round.deleted_entities = vdc_logged_names(file, access.error_log());
    const int before = file.size();
    again.clean();
    round.entities_deleted = before - file.size();
    return false;
}

}  // namespace

int vdcRepairResult::repaired() const noexcept
{
    int n = 0;
    for (const vdcRepairRound& round : rounds)
        n += static_cast<int>(round.repaired.size());
    return n;
}

int vdcRepairResult::deleted() const noexcept
{
    int n = 0;
    for (const vdcRepairRound& round : rounds)
        n += round.entities_deleted;
    return n;
}

vdcRepairResult vdc_repair(vdaFile& file, const utCancel& cancel)
{
    const vdaCurrentFile current(file);  // repairs and clean() find entities by name in it
    vdcRepairResult result;
    result.renamed = vdc_give_unique_names(file);
    for (;;) {
        vdcRepairRound& round = result.rounds.emplace_back();
        if (repair_round(file, round, cancel))
            break;
        if (round.entities_deleted == 0)
            break;  // nothing left to delete: stop rather than loop, and say so
    }
    result.clean = result.rounds.back().clean;
    return result;
}
