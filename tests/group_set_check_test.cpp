#include "check_support.h"

namespace {

// A group or set "E" of the given elements, in a model that offers one entity of every type, clean
// ("PT" point, "GR" group, "TM" tmat, "TL" tlist, "ST" set, "HD" header) and a faulty curve "BADCV".
template <class List>
std::function<void(Model&)> list(std::vector<utString> elements)
{
    return [=](Model& m) {
        m.add<vdaPoint>("PT", giPoint3(0, 0, 0));
        m.add<vdaGroup>("GR");
        m.add<vdaTmat>("TM", giXform3());
        m.add<vdaTlist>("TL", "TM");
        m.add<vdaBeginSet>("ST");
        m.add<vdaHeader>("HD");
        m.add<vdaCurve>("BADCV", std::vector<vdaCurveSegment>{});
        m.add<List>("E", elements);
    };
}

Packet group(const char* what, int i)
{
    const std::string w = what;
    if (w == "null")
        return {"Group entity has null pointer", {i}, {}, fix_group_null_entity_ptr};
    if (w == "type")
        return {"Group entity has pointer to invalid entity type", {i}, {}, fix_group_entity_ptr_type};
    return {"Group entity has pointer to invalid entity", {i}, {}, fix_group_entity_ptr};
}

Packet set(const char* what, int i)
{
    if (std::string(what) == "null")
        return {"Set entity has null pointer", {i}, {}, fix_beginset_null_entity_ptr};
    return {"Set entity has pointer to invalid entity", {i}, {}, fix_beginset_entity_ptr};
}

}  // namespace

TEST(GroupCheck, ElementsMustBeNonNullOfAGroupTypeAndClean)
{
    run_cases({
        {"empty", list<vdaGroup>({}), {}},
        {"a point and a group", list<vdaGroup>({"PT", "GR"}), {}},
        {"null elements 0 and 2", list<vdaGroup>({"NONE", "PT", ""}), {group("null", 0), group("null", 2)}},
        {"tlist, tmat, set and header are no group elements",
         list<vdaGroup>({"TL", "TM", "PT", "ST", "HD"}),
         {group("type", 0), group("type", 1), group("type", 3), group("type", 4)}},
        {"faulty curve", list<vdaGroup>({"PT", "BADCV"}), {group("faulty", 1)}},
        {"every fault, sub-check by sub-check",
         list<vdaGroup>({"BADCV", "HD", "NONE"}),
         {group("null", 2), group("type", 1), group("faulty", 0)}},
    });
}

TEST(BeginSetCheck, ElementsMustBeNonNullAndCleanOfAnyType)
{
    run_cases({
        {"empty", list<vdaBeginSet>({}), {}},
        {"tmat and header are fine in a set", list<vdaBeginSet>({"TM", "HD", "TL", "ST"}), {}},
        {"null element and faulty curve", list<vdaBeginSet>({"BADCV", "NONE"}), {set("null", 1), set("faulty", 0)}},
    });
}
