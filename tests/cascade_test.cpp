// Whole models: how the reference checks cascade through the checker, the fix-node graph they leave,
// and fix and clean over the result.
#include <sstream>
#include <tuple>

#include "check_support.h"

namespace {

// The children of a node, by identity, in edge order.
std::vector<const vdcFixNode*> children(const vdcFixNode* node)
{
    std::vector<const vdcFixNode*> out;
    for (int i = 0; node && i < node->num_children(); ++i)
        out.push_back(node->child(i));
    return out;
}

}  // namespace

TEST(Cascade, FaceConsCurveRoad)
{
    for (const char* variant : {"face first", "curve first", "face alone"}) {
        SCOPED_TRACE(variant);
        Model m;
        auto add_face = [&] { m.add<vdaFace>("FC", "SF", std::vector{vdaBoundary({vdaTrimmedCurve("CN", 0, 1)})}); };
        auto add_curve = [&] {  // segment 1 of order 30
            m.add<vdaCurve>("CV", std::vector{Model::curve_segment(0, 1, 4), Model::curve_segment(1, 2, 30)});
        };
        variant[0] == 'c' ? add_curve() : add_face();
        m.surf("SF");
        m.add<vdaCons>("CN", "SF", "CV", 0.0, 2.0, std::vector{Model::cons_segment(0, 1)});
        variant[0] == 'c' ? add_face() : add_curve();
        const bool alone = variant[5] == 'a';
        EXPECT_EQ(alone ? m.checker.check(vdaObjectPtr(m.file.find(utString("FC")))) : m.checker.check(m.file), 0);
        EXPECT_TRUE(m.checker.idle());
        EXPECT_EQ(m.logged("CV"), (Packets{{"Curve segment had invalid order", {1}}}));
        EXPECT_EQ(m.logged("CN"),
                  (Packets{{"Cons curve pointer points to invalid curve", {}, {}, fix_cons_curve_ptr}}));
        EXPECT_EQ(m.logged("FC"),
                  (Packets{{"Face cons pointer points to invalid cons", {0, 0}, {}, fix_face_cons_ptr}}));

        const vdcFixNode *face = m.checker.node("FC"), *cons = m.checker.node("CN"), *curve = m.checker.node("CV");
        ASSERT_EQ(m.checker.num_nodes(), 3);
        EXPECT_EQ(children(face), std::vector{cons});
        EXPECT_EQ(children(cons), std::vector{curve});
        EXPECT_EQ((std::vector{face->is_used(), cons->is_used(), curve->is_used()}), (std::vector{0, 1, 1}));

        // The curve's packet has no repair, so the cons's and then the face's repairs fail too.
        EXPECT_EQ(m.checker.fix(), 0);
        EXPECT_EQ((std::vector{face->distance(), cons->distance(), curve->distance()}), (std::vector{1, 2, 3}));
        EXPECT_EQ(m.logged("CN").size() + m.logged("FC").size() + m.logged("CV").size(), 3u);
        EXPECT_TRUE(m.fixed_log().empty());

        m.checker.clean();
        EXPECT_EQ(m.file.size(), 1);
        EXPECT_NE(m.file.find(utString("SF")), nullptr);
        EXPECT_TRUE(m.error_log().empty());
        EXPECT_EQ(m.checker.check(m.file), 1);
    }
}

TEST(Cascade, ConsTrimRepairLetsTheFaceReferenceRepairSucceedInTheSamePass)
{
    for (auto [ts, te, repaired] : {std::tuple{-1.0, 0.5, true}, {2.0, 3.0, false}}) {
        Model m;
        m.surf("SF");
        m.curve("CV");
        m.add<vdaCons>("CN", "SF", "CV", ts, te, std::vector{Model::cons_segment(0, 1)});
        m.add<vdaFace>("FC", "SF", std::vector{vdaBoundary({vdaTrimmedCurve("CN", 0, 1)})});
        EXPECT_EQ(m.checker.check(m.file), 0);
        EXPECT_EQ(m.logged("CN"),
                  (Packets{{"Cons has invalid trim parameters", {}, {0, 1, ts, te}, fix_cons_trimming_params}}));
        EXPECT_EQ(m.checker.fix(), repaired ? 1 : 0);
        // Each packet stands in the fixed log when repaired, in the error log otherwise.
        EXPECT_EQ(m.logged("FC", repaired).size(), 1u);
        EXPECT_EQ(m.logged("CN", repaired).size(), 1u);
        if (repaired) {
            const auto& cons = static_cast<const vdaCons&>(*m.file.find(utString("CN")));
            EXPECT_EQ(std::pair(cons.start_parameter(), cons.end_parameter()), std::pair(0.0, 0.5));
            EXPECT_EQ(m.checker.check(m.file), 1);
        }
    }
}

// The face check follows its surface reference before its cons references; each reference adds an edge.
TEST(Cascade, AFaceReachesItsFaultySurfaceDirectlyAndThroughEachConsReference)
{
    Model m;
    m.add<vdaFace>("F1", "BADSF", std::vector{vdaBoundary({vdaTrimmedCurve("CN", 0, 1), vdaTrimmedCurve("CN", 0, 1)})});
    m.add<vdaSurf>("BADSF", 0, 1, std::vector<vdaSurfPatch>{});
    m.curve("CV");
    m.cons("CN", "BADSF", "CV");
    EXPECT_EQ(m.checker.check(m.file), 0);
    const vdcFixNode *f1 = m.checker.node("F1"), *sf = m.checker.node("BADSF"), *cn = m.checker.node("CN");
    EXPECT_EQ(children(f1), (std::vector{sf, cn, cn}));
    EXPECT_EQ(children(cn), std::vector{sf});
    m.checker.fix();
    EXPECT_EQ(sf->distance(), 3);
}

TEST(Cascade, GroupsAndSetsContainingThemselves)
{
    Model clean;  // directly, clean otherwise: the nested call finds nothing logged yet
    clean.add<vdaGroup>("G", std::vector<utString>{"G"});
    EXPECT_EQ(clean.checker.check(clean.file), 1);
    EXPECT_EQ(clean.checker.num_nodes(), 0);

    Model self;  // directly, after a null element was logged: a self-edge, so no root
    self.add<vdaGroup>("G", std::vector<utString>{"NONE", "G"});
    EXPECT_EQ(self.checker.check(self.file), 0);
    EXPECT_EQ(self.logged("G"),
              (Packets{{"Group entity has null pointer", {0}, {}, fix_group_null_entity_ptr},
                       {"Group entity has pointer to invalid entity", {1}, {}, fix_group_entity_ptr}}));
    const vdcFixNode* g = self.checker.node("G");
    EXPECT_EQ(children(g), std::vector{g});
    EXPECT_EQ(g->is_used(), 1);
    EXPECT_EQ(self.checker.fix(), 1);
    EXPECT_EQ(g->distance(), 0);

    Model set;  // through a set that the group may not hold: a wrong type, whatever the set's own state
    set.add<vdaBeginSet>("S", std::vector<utString>{"G"});
    set.add<vdaGroup>("G", std::vector<utString>{"S", "NONE"});
    EXPECT_EQ(set.checker.check(set.file), 0);
    EXPECT_EQ(set.logged("G"),
              (Packets{{"Group entity has null pointer", {1}, {}, fix_group_null_entity_ptr},
                       {"Group entity has pointer to invalid entity type", {0}, {}, fix_group_entity_ptr_type}}));
    EXPECT_EQ(set.logged("S"),
              (Packets{{"Set entity has pointer to invalid entity", {0}, {}, fix_beginset_entity_ptr}}));
    EXPECT_EQ(children(set.checker.node("S")), std::vector{set.checker.node("G")});
}

TEST(Cascade, FixAndCleanOverAWholeModel)
{
    Model m;
    m.add<vdaBeginSet>("ST", std::vector<utString>{"GR"});
    m.add<vdaGroup>("GR", std::vector<utString>{"TM", "PT", "CI"});
    m.add<vdaTmat>("TM", giXform3());
    m.add<vdaPoint>("PT", giPoint3(-max_d, 0, 0));
    m.add<vdaCircle>("CI", giPoint3(0, 0, 0), 1.0, giVector3(2, 0, 0), giVector3(0.6, 0.8, 0), 10.0, 0.0);
    EXPECT_EQ(m.checker.check(m.file), 0);
    EXPECT_EQ(m.logged("GR").size(), 3u);  // element 0 of a wrong type, elements 1 and 2 faulty
    EXPECT_EQ(m.logged("CI").size(), 3u);

    // The point cannot be repaired; the circle can, so the group keeps it and drops the point, and the
    // set keeps the group, which is clean once its own packets are repaired.
    EXPECT_EQ(m.checker.fix(), 0);
    EXPECT_EQ(m.logged("PT").size(), 1u);
    EXPECT_EQ(m.logged("CI", true).size(), 3u);
    EXPECT_EQ(m.logged("GR", true).size(), 3u);
    EXPECT_EQ(m.logged("ST", true).size(), 1u);
    const auto& group = static_cast<const vdaGroup&>(*m.file.find(utString("GR")));
    EXPECT_TRUE(group.element_name(0).empty() && group.element_name(1).empty());
    EXPECT_EQ(group.element_name(2), utString("CI"));

    m.checker.clean();
    EXPECT_EQ(m.file.find(utString("PT")), nullptr);
    EXPECT_EQ(m.file.size(), 4);
    EXPECT_TRUE(m.error_log().empty() && m.fixed_log().empty());
    EXPECT_EQ(m.checker.check(vdaObjectPtr(m.file.find(utString("CI")))), 1);
}

// The checker looks at the first entity of each name only. A later group of a used name gets a name of its
// own from repair and is checked: it does not go on naming a point repair deleted.
TEST(Cascade, RepairLeavesNoElementNamingNothingBehindARepeatedName)
{
    const auto file = vdaReader::read("H = HEADER / 0\n"
                                      "P = POINT / 1., 2., 3.\n"
                                      "G = GROUP / 1, P\n"
                                      "G = GROUP / 2, X, P\n"
                                      "X = POINT / 1.7976931348623157E308, 0., 0.\n"
                                      "H = END\n",
                                      "repeated.vda");
    const vdcRepairResult result = vdc_repair(*file);
    ASSERT_TRUE(result.clean);
    EXPECT_EQ(result.deleted(), 1);
    const auto& hidden = static_cast<const vdaGroup&>(*std::next(file->begin(), 3));
    ASSERT_EQ(hidden.num_elements(), 1);
    EXPECT_EQ(hidden.element_name(0).view(), "P");
}

// Repeated names: each later entity of a name gets a fresh VDA-FS name that nothing has or names, references
// keep resolving to the first, a set keeps its member, and the model written reads back with every name once
// and checks clean.
TEST(Cascade, RepairGivesEveryRepeatedNameAFreshOneAndTheModelWrittenChecksClean)
{
    const auto file = vdaReader::read("H = HEADER / 0\n"
                                      "P1 = POINT / 1., 2., 3.\n"
                                      "P1 = POINT / 1.7976931348623157E308, 0., 0.\n"
                                      "G = GROUP / 2, P1, P1D3\n"
                                      "S = BEGINSET\n"
                                      "P1 = POINT / 7., 8., 9.\n"
                                      "S = ENDSET\n"
                                      "P1D2 = POINT / 0., 0., 0.\n"
                                      "cv_2 = POINT / 0., 0., 1.\n"
                                      "cv_2 = POINT / 0., 0., 2.\n"
                                      "H = END\n",
                                      "repeated.vda");
    const vdcRepairResult result = vdc_repair(*file);
    EXPECT_TRUE(result.clean);
    std::vector<std::tuple<std::string, std::string, int>> renamed;
    for (const vdcRename& r : result.renamed)
        renamed.emplace_back(r.from.view(), r.to.view(), r.line);
    // P1D2 is an entity's name, P1D3 a name referred to (by nothing that exists).
    EXPECT_EQ(renamed, (std::vector<std::tuple<std::string, std::string, int>>{
                           {"P1", "P1D4", 3}, {"P1", "P1D5", 6}, {"cv_2", "CV2D2", 10}}));
    EXPECT_EQ(file->find(utString("P1"))->line(), 2);
    EXPECT_EQ(file->find(utString("P1D4")), nullptr) << "the faulty point, no longer hidden, was deleted";
    const auto& group = static_cast<const vdaGroup&>(*file->find(utString("G")));
    ASSERT_EQ(group.num_elements(), 1);
    EXPECT_EQ(group.element(0)->line(), 2);
    const auto& set = static_cast<const vdaBeginSet&>(*file->find(utString("S")));
    ASSERT_EQ(set.num_elements(), 1);
    EXPECT_EQ(set.element(0)->name().view(), "P1D5");

    std::ostringstream out;
    vdaWriter::write(*file, out);
    const auto again = vdaReader::read(out.str(), "repaired.vda");
    EXPECT_FALSE(again->has_duplicate_names());
    EXPECT_EQ(vda_first_difference(*file, *again), "");
    vdcFileCheck checker;
    EXPECT_TRUE(checker.check(*again));
}
