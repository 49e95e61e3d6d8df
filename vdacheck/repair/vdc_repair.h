#pragma once

#include <vector>

#include <vdacheck/check/vdc_export.h>
#include <vdacheck/check/vdc_logged_packet.h>
#include <vdacheck/repair/vdc_rename.h>
#include <vdacheck/util/ut_cancel.h>

class vdaFile;

// What one round of vdc_repair did.
struct vdcRepairRound {
    std::vector<vdcLoggedPacket> found;      // the packets of the round's first check
    std::vector<vdcLoggedPacket> repaired;   // the packets its fix repaired
    std::vector<vdcLoggedPacket> deleted;    // why entities were deleted at its end: the packets they still had
    std::vector<utString> deleted_entities;  // their names, in file order
    int entities_deleted = 0;                // entities the round deleted (a name may stand for several)
    bool clean = false;                      // a check of the round found nothing: the last round
};

// The outcome of vdc_repair: the entities it renamed, its rounds, and whether the model now checks clean.
struct VDC_API vdcRepairResult {
    std::vector<vdcRename> renamed;  // before the first round, in file order
    std::vector<vdcRepairRound> rounds;
    bool clean = false;

    int repaired() const noexcept;
    int deleted() const noexcept;
};

// Repairs a model until it checks clean, changing it in place. First every entity whose name an earlier
// entity has gets a fresh name (vdc_give_unique_names), so that references resolve in the file written as
// they do in the model, and every entity is checked. Then each round checks the model; repairs what
// the repair functions can (referenced entities before the entities that refer to them); drops the
// elements of groups, sets and transformation lists that no longer name an entity, which VDA-FS cannot
// write; checks again with a fresh checker; and deletes every entity that still has problems, its own or
// references to entities deleted before. Every round that does not end clean deletes at least one entity,
// so the rounds end; should one delete nothing, the repair stops and reports the model as not clean.
//
// Runs on the calling thread (deep models on a thread with a stack sized for them, see vdcFileCheck); the
// file is the thread's current file while it runs, and the previous one is current again afterwards.
// `cancel` is looked at during the checks (see vdcFileCheck): a cancelled repair throws utCancelled and
// leaves the model as the steps before the check it stopped in made it (renamed, repaired, cleaned), a
// model that can be saved, checked and repaired again.
VDC_API vdcRepairResult vdc_repair(vdaFile& file, const utCancel& cancel = {});
