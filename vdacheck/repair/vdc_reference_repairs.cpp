#include <vdacheck/repair/vdc_reference_repairs.h>

#include <vdacheck/check/vdc_log.h>
#include <vdacheck/model/vda_begin_set.h>
#include <vdacheck/model/vda_cons.h>
#include <vdacheck/model/vda_face.h>
#include <vdacheck/model/vda_group.h>
#include <vdacheck/model/vda_tlist.h>
#include <vdacheck/model/vda_top.h>
#include <vdacheck/repair/vdc_repair_indices.h>

namespace {

// Accepts a reference once the entity it leads to is clean. A reference found null (a repair never
// nulls one of these) cannot be accepted.
int accept_if_clean(const vdaObjectPtr& reference, const vdcLog& log)
{
    return reference && log.num_logged(reference->name()) == 0 ? 1 : 0;
}

template <class List>
int null_element_if_faulty(const vdaObjectPtr& entity, const vdcErrorPacket& packet, const vdcLog& log)
{
    List* list = vda_cast<List>(entity());
    const int i = vdc_packet_index(packet, 0);
    if (!list || !vdc_index_in(i, list->num_elements()))
        return 0;
    const vdaObjectPtr element = list->element(i);
    if (element && log.num_logged(element->name()) != 0)
        list->set_element(i, vdaObjectPtr());
    return 1;
}

template <class List>
int null_element(const vdaObjectPtr& entity, const vdcErrorPacket& packet)
{
    List* list = vda_cast<List>(entity());
    const int i = vdc_packet_index(packet, 0);
    if (!list || !vdc_index_in(i, list->num_elements()))
        return 0;
    list->set_element(i, vdaObjectPtr());
    return 1;
}

}  // namespace

int fix_face_surface_ptr(const vdaObjectPtr& entity, const vdcErrorPacket&, const vdcLog& log)
{
    const vdaFace* face = vda_cast<vdaFace>(entity());
    return face ? accept_if_clean(face->basis_surface(), log) : 0;
}

int fix_face_cons_ptr(const vdaObjectPtr& entity, const vdcErrorPacket& packet, const vdcLog& log)
{
    const vdaFace* face = vda_cast<vdaFace>(entity());
    const int b = vdc_packet_index(packet, 0);
    const int s = vdc_packet_index(packet, 1);
    if (!face || !vdc_index_in(b, face->num_boundaries()) || !vdc_index_in(s, face->boundary(b).num_curve_segments()))
        return 0;
    return accept_if_clean(face->boundary(b).curve_segment(s).basis_curve(), log);
}

int fix_top_face_surface_ptr(const vdaObjectPtr& entity, const vdcErrorPacket& packet, const vdcLog& log)
{
    vdaTop* top = vda_cast<vdaTop>(entity());
    const vdaLinkedSurf* side =
        top ? vdc_top_side(*top, vdc_packet_index(packet, 0), vdc_packet_index(packet, 1)) : nullptr;
    return side ? accept_if_clean(side->basis_entity(), log) : 0;
}

int fix_top_cons_ptr(const vdaObjectPtr& entity, const vdcErrorPacket& packet, const vdcLog& log)
{
    vdaTop* top = vda_cast<vdaTop>(entity());
    const vdaLinkedSurf* side =
        top ? vdc_top_side(*top, vdc_packet_index(packet, 0), vdc_packet_index(packet, 1)) : nullptr;
    const int j = vdc_packet_index(packet, 2);
    if (!side || !vdc_index_in(j, side->num_trimmed_curves()))
        return 0;
    return accept_if_clean(side->trimmed_curve(j).basis_curve(), log);
}

int fix_tlist_tmat_ptr(const vdaObjectPtr& entity, const vdcErrorPacket&, const vdcLog& log)
{
    const vdaTlist* tlist = vda_cast<vdaTlist>(entity());
    return tlist ? accept_if_clean(tlist->transform(), log) : 0;
}

int fix_cons_curve_ptr(const vdaObjectPtr& entity, const vdcErrorPacket&, const vdcLog& log)
{
    const vdaCons* cons = vda_cast<vdaCons>(entity());
    return cons ? accept_if_clean(cons->curve_3d(), log) : 0;
}

int fix_cons_surface_ptr(const vdaObjectPtr& entity, const vdcErrorPacket&, const vdcLog& log)
{
    const vdaCons* cons = vda_cast<vdaCons>(entity());
    return cons ? accept_if_clean(cons->basis_surface(), log) : 0;
}

int fix_tlist_ptr_type(const vdaObjectPtr& entity, const vdcErrorPacket& packet, const vdcLog&)
{
    return null_element<vdaTlist>(entity, packet);
}

int fix_group_entity_ptr_type(const vdaObjectPtr& entity, const vdcErrorPacket& packet, const vdcLog&)
{
    return null_element<vdaGroup>(entity, packet);
}

int fix_tlist_entity_ptr(const vdaObjectPtr& entity, const vdcErrorPacket& packet, const vdcLog& log)
{
    return null_element_if_faulty<vdaTlist>(entity, packet, log);
}

int fix_group_entity_ptr(const vdaObjectPtr& entity, const vdcErrorPacket& packet, const vdcLog& log)
{
    return null_element_if_faulty<vdaGroup>(entity, packet, log);
}

int fix_beginset_entity_ptr(const vdaObjectPtr& entity, const vdcErrorPacket& packet, const vdcLog& log)
{
    return null_element_if_faulty<vdaBeginSet>(entity, packet, log);
}

int fix_tlist_null_entity_ptr(const vdaObjectPtr&, const vdcErrorPacket&, const vdcLog&) { return 1; }

int fix_group_null_entity_ptr(const vdaObjectPtr&, const vdcErrorPacket&, const vdcLog&) { return 1; }

int fix_beginset_null_entity_ptr(const vdaObjectPtr&, const vdcErrorPacket&, const vdcLog&) { return 1; }
