#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <vdacheck/vdacheck.h>

#include "repair_probe.h"

namespace {

using Names = std::vector<std::string>;

// A model in which every kind of reference the repairs follow leads somewhere different, so that a
// repair following the wrong reference gives the wrong answer.
class ReferenceModel : public ::testing::Test {
protected:
    ReferenceModel()
    {
        file.create<vdaSurf>("SF1", 0, 0, std::vector<vdaSurfPatch>{});  // faulty or not, as the log says
        file.create<vdaSurf>("SF2", 0, 0, std::vector<vdaSurfPatch>{});
        add_curve(file, "CV1", {0, 1});
        add_curve(file, "CV2", {0, 1});
        add_cons(file, "CN1", "SF1", "CV1", 0, 1, {0, 1});
        add_cons(file, "CN2", "SF1", "CV2", 0, 1, {0, 1});
        add_cons(file, "CN3", "SF2", "CV2", 0, 1, {0, 1});
        file.create<vdaFace>(
            "FC1", "SF1",
            std::vector<vdaBoundary>{vdaBoundary({vdaTrimmedCurve("CN1", 0, 1)}),
                                     vdaBoundary({vdaTrimmedCurve("CN2", 0, 1), vdaTrimmedCurve("CN3", 0, 1)})});
        file.create<vdaTop>(
            "TP1", std::vector<vdaSurfacePair>{vdaSurfacePair(
                       vdaLinkedSurf("FC1", {vdaTrimmedCurve("CN1", 0, 1)}),
                       vdaLinkedSurf("SF2", {vdaTrimmedCurve("CN2", 0, 1), vdaTrimmedCurve("CN3", 0, 1)}), 0)});
        file.create<vdaTmat>("TM1", giXform3());
        file.create<vdaTlist>("TL1", "TM1", std::vector<utString>{"CV1"});
    }

    // Logs one packet under every entity of the model except `clean`.
    void log_all_but(vdcLog& log, const char* clean) const
    {
        for (const vdaObject& entity : file)
            if (entity.name().view() != clean)
                log.save(entity.name(), make_packet("Curve has no segments"));
    }

    vdaFile file;
};

// A repair accepts a reference once the entity it leads to is clean; a null reference, an index outside
// the model or an entity of another class (referenced: null) fails without harm.
TEST_F(ReferenceModel, ReferenceRepairsAskOnlyAboutTheReferencedEntity)
{
    file.create<vdaCons>("CNX", "NOSURF", "NOCURVE", 0, 1);
    const struct {
        vdcErrorFunction repair;
        const char* entity;
        std::vector<int> ints;
        const char* referenced;
    } cases[] = {
        {fix_face_surface_ptr, "FC1", {}, "SF1"},
        {fix_face_cons_ptr, "FC1", {1, 0}, "CN2"},
        {fix_face_cons_ptr, "FC1", {1, 1}, "CN3"},
        {fix_top_face_surface_ptr, "TP1", {0, 0}, "FC1"},
        {fix_top_face_surface_ptr, "TP1", {0, 1}, "SF2"},
        {fix_top_cons_ptr, "TP1", {0, 1, 0}, "CN2"},
        {fix_top_cons_ptr, "TP1", {0, 1, 1}, "CN3"},
        {fix_tlist_tmat_ptr, "TL1", {}, "TM1"},
        {fix_cons_curve_ptr, "CN2", {}, "CV2"},
        {fix_cons_surface_ptr, "CN3", {}, "SF2"},
        {fix_cons_curve_ptr, "CNX", {}, nullptr},  // a null reference, whichever repair meets it
        {fix_face_cons_ptr, "FC1", {2, 0}, nullptr},
        {fix_face_cons_ptr, "FC1", {0, 1}, nullptr},
        {fix_face_cons_ptr, "FC1", {-1, 0}, nullptr},
        {fix_face_cons_ptr, "FC1", {}, nullptr},  // an index the packet lacks
        {fix_top_face_surface_ptr, "TP1", {1, 0}, nullptr},
        {fix_top_cons_ptr, "TP1", {0, 0, 1}, nullptr},
        {fix_face_surface_ptr, "CN1", {}, nullptr},
        {fix_cons_curve_ptr, "FC1", {}, nullptr},
        {fix_tlist_ptr_type, "TL1", {1}, nullptr},
        {fix_tlist_entity_ptr, "TL1", {-1}, nullptr},
        {fix_group_entity_ptr_type, "TL1", {0}, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.entity << " with " << ::testing::PrintToString(c.ints));
        vdcLog log;  // for the failing cases empty, so that only the reference can fail them
        if (c.referenced)
            log_all_but(log, c.referenced);
        const vdcErrorPacket packet = indices(c.ints);
        EXPECT_EQ(c.repair(vdaObjectPtr(utString(c.entity)), packet, log), c.referenced ? 1 : 0);
        if (c.referenced) {
            log.save(c.referenced, make_packet("Curve has no segments"));
            EXPECT_EQ(c.repair(vdaObjectPtr(utString(c.entity)), packet, log), 0);
        }
    }
    EXPECT_EQ(static_cast<const vdaTlist&>(*file.find("TL1")).element_name(0), utString("CV1"));
}

// ---------------------------------------------------------------------------------------------------------
// Lists: transformation lists, groups and sets

// Every list holds: 0 a faulty point, 1 a clean point, 2 a transformation matrix, 3 a null element.
class ListRepairs : public ::testing::Test {
protected:
    ListRepairs()
    {
        file.create<vdaPoint>("PT1", giPoint3(-utMath::max_double(), 0, 0));
        file.create<vdaPoint>("PT2", giPoint3(0, 0, 0));
        file.create<vdaTmat>("TM1", giXform3());
        const std::vector<utString> elements{"PT1", "PT2", "TM1", "NOSUCH"};
        file.create<vdaTlist>("TL1", "TM1", elements);
        file.create<vdaGroup>("GR1", elements);
        file.create<vdaBeginSet>("ST1", elements);
        log.save("PT1", make_packet("Point entity has invalid point"));
    }

    // The names of the elements that resolve, "null" for the others.
    Names elements(const char* name)
    {
        const auto& list = static_cast<const vdaElementList&>(*file.find(name));
        Names out;
        for (int i = 0; i < list.num_elements(); ++i)
            out.emplace_back(list.element(i) ? list.element(i)->name().view() : "null");
        return out;
    }
    int repair(vdcErrorFunction f, const char* name, int i)
    {
        return f(vdaObjectPtr(file.find(name)), indices({i}), log);
    }

    vdaFile file;
    vdcLog log;
};

TEST_F(ListRepairs, NullElementsStayFaultyOnesAndWrongTypedOnesBecomeNull)
{
    const struct {
        const char* name;
        vdcErrorFunction null_element, faulty_element, wrong_type;  // wrong_type null: the list takes every type
    } kinds[] = {
        {"TL1", fix_tlist_null_entity_ptr, fix_tlist_entity_ptr, fix_tlist_ptr_type},
        {"GR1", fix_group_null_entity_ptr, fix_group_entity_ptr, fix_group_entity_ptr_type},
        {"ST1", fix_beginset_null_entity_ptr, fix_beginset_entity_ptr, nullptr},
    };
    for (const auto& kind : kinds) {
        SCOPED_TRACE(kind.name);
        EXPECT_EQ(repair(kind.null_element, kind.name, 3), 1);
        EXPECT_EQ(static_cast<const vdaElementList&>(*file.find(kind.name)).element_name(3), utString("NOSUCH"));
        EXPECT_EQ(elements(kind.name), (Names{"PT1", "PT2", "TM1", "null"}));
        for (int i : {1, 2, 3, 0})
            EXPECT_EQ(repair(kind.faulty_element, kind.name, i), 1) << "element " << i;
        EXPECT_EQ(elements(kind.name), (Names{"null", "PT2", "TM1", "null"}));
        EXPECT_EQ(log.num_logged("PT1"), 1);  // the element's entity keeps its packet
        if (!kind.wrong_type)
            continue;
        EXPECT_EQ(repair(kind.wrong_type, kind.name, 2), 1);
        EXPECT_EQ(elements(kind.name), (Names{"null", "PT2", "null", "null"}));
        EXPECT_EQ(repair(kind.wrong_type, kind.name, 1), 1);  // whatever the element is
        EXPECT_EQ(elements(kind.name), (Names{"null", "null", "null", "null"}));
    }
}

}  // namespace
