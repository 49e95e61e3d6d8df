// The checker's repair side: the repair pass over the dependency graph that checking recorded, and
// deleting what is still faulty.
#include <algorithm>
#include <vector>

#include <vdacheck/check/vdc_file_check.h>
#include <vdacheck/check/vdc_fix_node.h>
#include <vdacheck/check/vdc_traveller.h>
#include <vdacheck/model/vda_object_ptr.h>

int vdcFileCheck::fix()
{
    vdcTraveller traveller;
    int deepest = 0;
    fix_nodes.for_each([&](const utString&, std::unique_ptr<vdcFixNode>& node) {
        if (!node->is_used())
            node->accept_traveller(traveller);
    });
    fix_nodes.for_each(
        [&](const utString&, std::unique_ptr<vdcFixNode>& node) { deepest = std::max(deepest, node->distance()); });

    // Order the names by distance, deepest first, keeping the table's order within one distance:
    // one counting pass instead of a walk over the whole table per distance.
    std::vector<std::size_t> start(static_cast<std::size_t>(deepest) + 2, 0);
    fix_nodes.for_each([&](const utString&, std::unique_ptr<vdcFixNode>& node) {
        ++start[static_cast<std::size_t>(deepest - node->distance()) + 1];
    });
    for (std::size_t d = 1; d < start.size(); ++d)
        start[d] += start[d - 1];
    std::vector<const utString*> order(fix_nodes.size());
    fix_nodes.for_each([&](const utString& name, std::unique_ptr<vdcFixNode>& node) {
        order[start[static_cast<std::size_t>(deepest - node->distance())]++] = &name;
    });

    for (const utString* name : order) {
        const int n = error_log.num_logged(*name);
        for (int k = 0; k < n; ++k) {
            vdcErrorPacket packet = error_log.packet(*name);
            const vdcErrorFunction repair = packet.error_function();
            // A name that no longer resolves (the entity was deleted after the check) keeps its
            // packets: a repair needs its entity.
            const vdaObjectPtr entity = repair ? vdaObjectPtr(*name) : vdaObjectPtr();
            if (entity && repair(entity, packet, error_log))
                fixed_log.save(*name, std::move(packet));
            else
                error_log.save(*name, std::move(packet));
        }
    }
    return error_log.empty();
}

void vdcFileCheck::clean()
{
    fix_nodes.for_each([&](const utString& name, std::unique_ptr<vdcFixNode>&) {
        if (error_log.num_logged(name) == 0)
            return;
        if (vdaObject* entity = vdaObjectPtr(name)())
            delete entity;
    });
    error_log.clear();
    fixed_log.clear();
}
