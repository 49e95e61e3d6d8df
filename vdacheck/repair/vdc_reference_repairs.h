#pragma once

// Repairs of references, attached by the reference checks. Each takes the entity the packet is logged
// under, the packet (only its ints are read: the indices of the reference) and the error log as it
// stands during the repair pass, in which "clean" means no packet is logged under an entity's name.
// A repair handed an entity of another class, or indices that no longer fit the entity, fails and
// changes nothing.

#include <vdacheck/check/vdc_export.h>

class vdaObjectPtr;
class vdcErrorPacket;
class vdcLog;

// Accepted once the referenced entity is clean; fail otherwise. Nothing is changed.
VDC_API int fix_face_surface_ptr(const vdaObjectPtr& entity, const vdcErrorPacket& packet, const vdcLog& log);
VDC_API int fix_face_cons_ptr(const vdaObjectPtr& entity, const vdcErrorPacket& packet, const vdcLog& log);
VDC_API int fix_top_face_surface_ptr(const vdaObjectPtr& entity, const vdcErrorPacket& packet, const vdcLog& log);
VDC_API int fix_top_cons_ptr(const vdaObjectPtr& entity, const vdcErrorPacket& packet, const vdcLog& log);
VDC_API int fix_tlist_tmat_ptr(const vdaObjectPtr& entity, const vdcErrorPacket& packet, const vdcLog& log);
VDC_API int fix_cons_curve_ptr(const vdaObjectPtr& entity, const vdcErrorPacket& packet, const vdcLog& log);
VDC_API int fix_cons_surface_ptr(const vdaObjectPtr& entity, const vdcErrorPacket& packet, const vdcLog& log);

// An element of a type the list may not hold is replaced by a null reference; always succeed.
VDC_API int fix_tlist_ptr_type(const vdaObjectPtr& entity, const vdcErrorPacket& packet, const vdcLog& log);
VDC_API int fix_group_entity_ptr_type(const vdaObjectPtr& entity, const vdcErrorPacket& packet, const vdcLog& log);

// An element whose entity still has packets is replaced by a null reference; an element whose entity
// was repaired in full is kept. Always succeed.
VDC_API int fix_tlist_entity_ptr(const vdaObjectPtr& entity, const vdcErrorPacket& packet, const vdcLog& log);
VDC_API int fix_group_entity_ptr(const vdaObjectPtr& entity, const vdcErrorPacket& packet, const vdcLog& log);
VDC_API int fix_beginset_entity_ptr(const vdaObjectPtr& entity, const vdcErrorPacket& packet, const vdcLog& log);

// A null element is an accepted state of a list: nothing to change; always succeed.
VDC_API int fix_tlist_null_entity_ptr(const vdaObjectPtr& entity, const vdcErrorPacket& packet, const vdcLog& log);
VDC_API int fix_group_null_entity_ptr(const vdaObjectPtr& entity, const vdcErrorPacket& packet, const vdcLog& log);
VDC_API int fix_beginset_null_entity_ptr(const vdaObjectPtr& entity, const vdcErrorPacket& packet, const vdcLog& log);
