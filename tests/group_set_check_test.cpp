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

Packet wrong_type(int i)
{
    return {"Group entity has pointer to invalid entity type", {i}, {}, fix_group_entity_ptr_type};
}

}  // namespace

TEST(GroupCheck, ElementsMustBeNonNullOfAGroupTypeAndClean)
{
    run_cases({
        {"a point and a group", list<vdaGroup>({"PT", "GR"}), {}},
        {"every fault; tlist, tmat, set and header are no group elements",
         list<vdaGroup>({"BADCV", "HD", "NONE", "TL", "TM", "ST"}),
         {Packet("Group entity has null pointer", {2}, {}, fix_group_null_entity_ptr), wrong_type(1), wrong_type(3),
          wrong_type(4), wrong_type(5),
          Packet("Group entity has pointer to invalid entity", {0}, {}, fix_group_entity_ptr)}},
    });
}

TEST(BeginSetCheck, ElementsMustBeNonNullAndCleanOfAnyType)
{
    run_cases({
        {"tmat, header, tlist and set are fine in a set", list<vdaBeginSet>({"TM", "HD", "TL", "ST"}), {}},
        {"null element and faulty curve",
         list<vdaBeginSet>({"BADCV", "NONE"}),
         {{"Set entity has null pointer", {1}, {}, fix_beginset_null_entity_ptr},
          {"Set entity has pointer to invalid entity", {0}, {}, fix_beginset_entity_ptr}}},
    });
}
