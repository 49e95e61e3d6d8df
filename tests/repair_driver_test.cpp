#include <gtest/gtest.h>

#include <ostream>
#include <random>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include <vdacheck/vdacheck.h>

#include "repair_probe.h"

namespace {

using Names = std::vector<std::string>;

// ---------------------------------------------------------------------------------------------------------
// The walk over the fix-node graph

// The walk step as a plain recursion over an adjacency list: the node's own walk must give its distances.
struct RecursiveWalk {
    std::vector<std::vector<int>> children;
    std::vector<int> distance;
    std::vector<int> visiting;
    int travelled = 0;

    explicit RecursiveWalk(std::size_t n) : children(n), distance(n, 0), visiting(n, 0) {}
    void walk(int n)
    {
        const auto i = static_cast<std::size_t>(n);
        if (visiting[i])
            return;
        ++travelled;
        visiting[i] = 1;
        if (travelled > distance[i]) {
            distance[i] = travelled;
            for (int child : children[i])
                walk(child);
        }
        visiting[i] = 0;
        --travelled;
    }
};

TEST(vdcFixNode, WalkGivesTheDistancesOfTheRecursiveWalk)
{
    // Random graphs, mostly chains and fans with cycles, self-edges and duplicate edges mixed in. Edges
    // are added between walks, as a later check adds them, and every walk reuses the distances of the
    // earlier ones.
    std::mt19937 random(20240611);
    auto below = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
    for (int round = 0; round < 400; ++round) {
        const std::size_t n = 1 + below(24);
        RecursiveWalk expected(n);
        std::vector<vdcFixNode> nodes(n);
        for (int pass = 0; pass < 3; ++pass) {
            for (std::size_t e = below(2 * n); e > 0; --e) {
                const std::size_t from = below(n);
                const std::size_t to = below(4) == 0 ? below(n) : std::min(n - 1, from + 1 + below(3));
                nodes[from].depends_on(&nodes[to]);
                nodes[to].used();
                expected.children[from].push_back(static_cast<int>(to));
            }
            vdcTraveller traveller;
            for (std::size_t i = 0; i < n; ++i)
                if (!nodes[i].is_used()) {
                    nodes[i].accept_traveller(traveller);
                    expected.walk(static_cast<int>(i));
                }
            const std::size_t inner = below(n);  // a walk may also start below the roots
            nodes[inner].accept_traveller(traveller);
            expected.walk(static_cast<int>(inner));
            EXPECT_EQ(traveller.distance_travelled(), 0);
            for (std::size_t i = 0; i < n; ++i)
                ASSERT_EQ(nodes[i].distance(), expected.distance[i])
                    << "round " << round << ", pass " << pass << ", node " << i;
        }
    }
}

TEST(vdcFixNode, WalksAChainFarDeeperThanTheCallStackCouldRecurse)
{
    constexpr int n = 500000;
    std::vector<vdcFixNode> nodes(n);
    for (std::size_t i = 0; i + 1 < nodes.size(); ++i) {
        nodes[i].depends_on(&nodes[i + 1]);
        nodes[i + 1].used();
    }
    vdcTraveller traveller;
    nodes[0].accept_traveller(traveller);
    EXPECT_EQ(traveller.distance_travelled(), 0);
    EXPECT_EQ(nodes[0].distance(), 1);
    EXPECT_EQ(nodes[n / 2].distance(), n / 2 + 1);
    EXPECT_EQ(nodes[n - 1].distance(), n);
}

// ---------------------------------------------------------------------------------------------------------
// The graph as check() records it

TEST(FixNodeGraph, CreateFixNodesJoinsTheTwoInnermostNamesAndLeavesTheStackAsFound)
{
    vdcRepairProbe probe;
    probe.name_stack = {"GR1", "FC1", "CN1"};
    probe.create_fix_nodes();
    EXPECT_EQ(probe.name_stack, (std::vector<utString>{"GR1", "FC1", "CN1"}));
    EXPECT_EQ(probe.node_names(), (Names{"CN1", "FC1"}));  // the faulty entity's node is made first
    ASSERT_EQ(probe.node("FC1")->num_children(), 1);
    EXPECT_EQ(probe.node("FC1")->child(0), probe.node("CN1"));
    EXPECT_EQ(probe.node("CN1")->is_used(), 1);
    EXPECT_EQ(probe.node("FC1")->is_used(), 0);

    probe.name_stack = {"FC1"};  // the face's own check ends: its node exists, no edge is added
    probe.create_fix_nodes();
    EXPECT_EQ(probe.name_stack, (std::vector<utString>{"FC1"}));
    EXPECT_EQ(probe.num_nodes(), 2);
    EXPECT_EQ(probe.node("FC1")->num_children(), 1);
}

TEST(FixNodeGraph, DistancesAreTheLongestChainsFromTheRoots)
{
    struct Found {
        const char* referring;  // empty: checked on its own
        const char* faulty;
    };
    struct Case {
        const char* title;
        std::vector<Found> found;  // in the order check() records them
        std::vector<std::pair<const char*, int>> distances;
    };
    const Case cases[] = {
        {"a faulty curve checked on its own", {{"", "CV1"}}, {{"CV1", 1}}},
        {"face, cons and curve, the face reached first",
         {{"CN1", "CV1"}, {"FC1", "CN1"}, {"", "FC1"}},
         {{"FC1", 1}, {"CN1", 2}, {"CV1", 3}}},
        {"face, cons and curve, the curve reached first",
         {{"", "CV1"}, {"CN1", "CV1"}, {"", "CN1"}, {"FC1", "CN1"}, {"", "FC1"}},
         {{"FC1", 1}, {"CN1", 2}, {"CV1", 3}}},
        {"a surface under a face and under the face's cons",
         {{"FC1", "SF1"}, {"CN1", "SF1"}, {"FC1", "CN1"}, {"", "FC1"}},
         {{"FC1", 1}, {"CN1", 2}, {"SF1", 3}}},
        {"a surface under two faces",
         {{"FC1", "SF1"}, {"", "FC1"}, {"FC2", "SF1"}, {"", "FC2"}},
         {{"FC1", 1}, {"FC2", 1}, {"SF1", 2}}},
        {"a cons referred to twice by one face",
         {{"FC1", "CN1"}, {"FC1", "CN1"}, {"", "FC1"}},
         {{"FC1", 1}, {"CN1", 2}}},
        {"a group containing itself", {{"GR1", "GR1"}, {"", "GR1"}}, {{"GR1", 0}}},
        {"a cycle below a root: the walk stops where the path closes",
         {{"GR2", "GR3"}, {"GR3", "GR2"}, {"GR1", "GR2"}, {"", "GR1"}},
         {{"GR1", 1}, {"GR2", 2}, {"GR3", 3}}},
    };
    for (const Case& c : cases) {
        vdcRepairProbe probe;
        for (const Found& f : c.found)
            *f.referring ? probe.found(f.referring, f.faulty) : probe.found(f.faulty);
        EXPECT_EQ(probe.fix(), 1) << c.title;
        for (const auto& [name, distance] : c.distances)
            EXPECT_EQ(probe.distance(name), distance) << c.title << ": " << name;
    }
}

TEST(FixNodeGraph, RecordsTheSelfEdgeAndTheDuplicateEdge)
{
    vdcRepairProbe probe;
    probe.found("GR1", "GR1");
    probe.found("FC1", "CN1");
    probe.found("FC1", "CN1");
    EXPECT_EQ(probe.node("GR1")->is_used(), 1);
    EXPECT_EQ(probe.node("GR1")->child(0), probe.node("GR1"));
    EXPECT_EQ(probe.node("FC1")->num_children(), 2);
}

// ---------------------------------------------------------------------------------------------------------
// The repair pass

// What a repair function was offered: the entity, the packet's tag (int 0) and how many packets the log
// held under the entity's name during the call.
struct Offer {
    std::string entity;
    int tag;
    int logged;
    friend bool operator==(const Offer&, const Offer&) = default;
    friend void PrintTo(const Offer& o, std::ostream* out)
    {
        *out << o.entity << "#" << o.tag << "(" << o.logged << ")";
    }
};
std::vector<Offer> offers;

// Records the offer and answers with the packet's int 1.
int spy_repair(const vdaObjectPtr& entity, const vdcErrorPacket& packet, const vdcLog& log)
{
    offers.push_back({std::string(entity->name().view()), packet.get_int(0), log.num_logged(entity->name())});
    return packet.get_int(1);
}

// Repairs its packet by deleting the entity: the entity is gone for every later packet.
int deleting_repair(const vdaObjectPtr& entity, const vdcErrorPacket&, const vdcLog&)
{
    delete entity();
    return 1;
}

vdcErrorPacket spy_packet(int tag, int result)
{
    return make_packet("Spy packet", {tag, result}, spy_repair);
}

std::vector<int> tags(const vdcLog& log, const utString& name)
{
    std::vector<int> out;
    log.for_each_packet(name, [&](const vdcErrorPacket& p) { out.push_back(p.get_int(0)); });
    return out;
}

class RepairDriver : public ::testing::Test {
protected:
    RepairDriver() { offers.clear(); }

    // Points that the spy's packets can be logged under.
    void add_points(std::initializer_list<const char*> names)
    {
        for (const char* name : names)
            file.create<vdaPoint>(name, giPoint3(0, 0, 0));
    }

    vdaFile file;
    vdcRepairProbe probe;
    const vdcFileCheckAcc access{&probe};
};

TEST_F(RepairDriver, FixWithoutNodesOrPacketsSucceeds)
{
    EXPECT_EQ(probe.fix(), 1);
    EXPECT_EQ(access.fixed_log().empty(), 1);
}

TEST_F(RepairDriver, OffersDeepestFirstAndInTableOrderWithinADistance)
{
    add_points({"A", "B", "X", "Y", "C1", "C2"});
    // Roots A and B with children X and Y; C1 and C2 form a cycle that no root leads into.
    probe.found("A", "X");
    probe.found("A");
    probe.found("B", "Y");
    probe.found("B");
    probe.found("C1", "C2");
    probe.found("C2", "C1");
    EXPECT_EQ(probe.node_names(), (Names{"X", "A", "Y", "B", "C2", "C1"}));
    for (const char* name : {"C2", "C1", "B", "Y", "A", "X"})
        probe.log(name, spy_packet(0, 1));

    EXPECT_EQ(probe.fix(), 1);
    Names order;
    for (const Offer& o : offers)
        order.push_back(o.entity);
    EXPECT_EQ(order, (Names{"X", "Y", "A", "B", "C2", "C1"}));
    EXPECT_EQ(probe.distance("C1"), 0);
}

TEST_F(RepairDriver, EachPacketIsOfferedOnceAndTheFailedOnesStayInOrder)
{
    add_points({"PT1", "PT2"});
    probe.found("PT1");
    probe.found("PT2");
    probe.log("PT1", spy_packet(1, 1));
    probe.log("PT1", spy_packet(2, 0));
    probe.log("PT1", spy_packet(3, 1));
    probe.log("PT1", spy_packet(4, 0));
    probe.log("PT2", spy_packet(5, 1));

    EXPECT_EQ(probe.fix(), 0);
    // During each call the log lacks the packet on offer and the repaired ones before it, and holds the
    // failed ones put back.
    EXPECT_EQ(offers, (std::vector<Offer>{{"PT1", 1, 3}, {"PT1", 2, 2}, {"PT1", 3, 2}, {"PT1", 4, 1}, {"PT2", 5, 0}}));
    EXPECT_EQ(tags(access.error_log(), "PT1"), (std::vector<int>{2, 4}));
    EXPECT_EQ(tags(access.fixed_log(), "PT1"), (std::vector<int>{1, 3}));
    EXPECT_EQ(tags(access.fixed_log(), "PT2"), (std::vector<int>{5}));
    EXPECT_EQ(access.error_log().num_logged("PT2"), 0);
}

TEST_F(RepairDriver, PacketsWithoutRepairStayAndNamesWithoutPacketsArePassedOver)
{
    add_points({"PT1"});
    probe.found("GR1", "PT1");  // GR1 gets a node but logs nothing
    probe.log("PT1", make_packet("Point entity has invalid point"));
    probe.log("PT1", spy_packet(1, 1));
    EXPECT_EQ(probe.fix(), 0);
    EXPECT_EQ(messages(access.error_log(), "PT1"), (Names{"Point entity has invalid point"}));
    EXPECT_EQ(tags(access.fixed_log(), "PT1"), (std::vector<int>{1}));
    EXPECT_EQ(access.error_log().num_logged("GR1"), 0);
    EXPECT_EQ(access.fixed_log().num_logged("GR1"), 0);
}

TEST_F(RepairDriver, ANameThatNoLongerResolvesKeepsItsPacketsUnoffered)
{
    add_points({"PT1", "PT2"});
    probe.found("PT1");
    probe.found("PT2");
    probe.log("PT1", spy_packet(1, 1));
    probe.log("PT1", make_packet("Point entity has invalid point"));
    probe.log("PT2", spy_packet(2, 1));
    delete file.find("PT1");  // the host deleted the entity after the check

    EXPECT_EQ(probe.fix(), 0);
    EXPECT_EQ(offers, (std::vector<Offer>{{"PT2", 2, 0}}));
    EXPECT_EQ(messages(access.error_log(), "PT1"), (Names{"Spy packet", "Point entity has invalid point"}));
}

TEST_F(RepairDriver, TheEntityIsLookedUpAfreshForEveryPacket)
{
    add_points({"PT1"});
    probe.found("PT1");
    probe.log("PT1", make_packet("Deleting packet", {0}, deleting_repair));
    probe.log("PT1", spy_packet(1, 1));
    EXPECT_EQ(probe.fix(), 0);
    EXPECT_TRUE(offers.empty());  // the second packet finds no entity and is not offered
    EXPECT_EQ(messages(access.fixed_log(), "PT1"), (Names{"Deleting packet"}));
    EXPECT_EQ(messages(access.error_log(), "PT1"), (Names{"Spy packet"}));
}

TEST_F(RepairDriver, AnEntityFoundBelowAnOldRootAfterTheFirstFixComesLast)
{
    add_points({"GR1", "PT1", "PT2"});
    probe.found("GR1", "PT1");
    probe.found("GR1");
    probe.log("PT1", spy_packet(1, 0));
    probe.log("GR1", spy_packet(2, 0));
    EXPECT_EQ(probe.fix(), 0);
    // A later check (logs kept) finds PT2 below GR1: the walk does not descend below GR1 again.
    probe.found("GR1", "PT2");
    probe.log("PT2", spy_packet(3, 0));
    offers.clear();
    EXPECT_EQ(probe.fix(), 0);
    EXPECT_EQ(probe.distance("PT2"), 0);
    EXPECT_EQ(offers, (std::vector<Offer>{{"PT1", 1, 0}, {"GR1", 2, 0}, {"PT2", 3, 0}}));
}

// The road of a face whose cons refers to a faulty curve, logged as the face check would log it.
class FaceRoad : public RepairDriver {
protected:
    FaceRoad()
    {
        add_surface(file, "SF1");
        add_curve(file, "CV1", {0, 1, 2});
        add_cons(file, "CN1", "SF1", "CV1", 0, 1, {0, 1});
        file.create<vdaFace>("FC1", "SF1", std::vector<vdaBoundary>{vdaBoundary({vdaTrimmedCurve("CN1", 0, 1)})});
    }

    // The face's check reaches the cons, whose check reaches the curve.
    void check_face(const vdcErrorPacket& cons_packet)
    {
        probe.log("CN1", cons_packet);
        probe.found("FC1", "CN1");
        probe.log("FC1", make_packet("Face cons pointer points to invalid cons", {0, 0}, fix_face_cons_ptr));
        probe.found("FC1");
    }
    void check_face_with_faulty_curve()
    {
        probe.log("CV1", make_packet("Curve segment had invalid order", {1}));
        probe.found("CN1", "CV1");
        check_face(make_packet("Cons curve pointer points to invalid curve", {}, fix_cons_curve_ptr));
    }
    void check_face_with_cons_trim(double start, double end)
    {
        vdaCons& cons = static_cast<vdaCons&>(*file.find("CN1"));
        cons.set_parameters(start, end);
        check_face(make_packet("Cons has invalid trim parameters", {}, fix_cons_trimming_params, {0, 2, start, end}));
    }
};

TEST_F(FaceRoad, AnUnrepairableCurveKeepsTheConsAndTheFaceFaulty)
{
    check_face_with_faulty_curve();
    EXPECT_EQ(probe.fix(), 0);
    EXPECT_EQ(messages(access.error_log(), "CV1"), (Names{"Curve segment had invalid order"}));
    EXPECT_EQ(messages(access.error_log(), "CN1"), (Names{"Cons curve pointer points to invalid curve"}));
    EXPECT_EQ(messages(access.error_log(), "FC1"), (Names{"Face cons pointer points to invalid cons"}));
    EXPECT_EQ(access.fixed_log().empty(), 1);
}

TEST_F(FaceRoad, AConsRepairedFirstLetsTheFaceSucceed)
{
    check_face_with_cons_trim(-1.0, 0.5);
    EXPECT_EQ(probe.fix(), 1);
    EXPECT_EQ(messages(access.fixed_log(), "CN1"), (Names{"Cons has invalid trim parameters"}));
    EXPECT_EQ(messages(access.fixed_log(), "FC1"), (Names{"Face cons pointer points to invalid cons"}));
    const vdaCons& cons = static_cast<const vdaCons&>(*file.find("CN1"));
    EXPECT_EQ(cons.start_parameter(), 0.0);
    EXPECT_EQ(cons.end_parameter(), 0.5);
}

TEST_F(FaceRoad, AConsWhoseRepairFailsKeepsTheFaceFaulty)
{
    check_face_with_cons_trim(2.5, 3.0);  // beyond the curve's [0, 2]: the trim collapses
    EXPECT_EQ(probe.fix(), 0);
    EXPECT_EQ(messages(access.error_log(), "CN1"), (Names{"Cons has invalid trim parameters"}));
    EXPECT_EQ(messages(access.error_log(), "FC1"), (Names{"Face cons pointer points to invalid cons"}));
    const vdaCons& cons = static_cast<const vdaCons&>(*file.find("CN1"));
    EXPECT_EQ(cons.start_parameter(), 2.5);
    EXPECT_EQ(cons.end_parameter(), 3.0);
}

TEST_F(FaceRoad, TheDistanceNotTheTableOrderDecides)
{
    // The face's surface is found faulty first, so the face's node precedes the cons's in the table.
    probe.log("SF1", make_packet("Surf has invalid number of patches"));
    probe.found("FC1", "SF1");
    probe.log("FC1", make_packet("Face surface pointer points to invalid surface", {}, fix_face_surface_ptr));
    check_face_with_cons_trim(-1.0, 0.5);
    EXPECT_EQ(probe.node_names(), (Names{"SF1", "FC1", "CN1"}));

    EXPECT_EQ(probe.fix(), 0);
    EXPECT_EQ(messages(access.fixed_log(), "FC1"), (Names{"Face cons pointer points to invalid cons"}));
    EXPECT_EQ(messages(access.error_log(), "FC1"), (Names{"Face surface pointer points to invalid surface"}));
}

TEST_F(FaceRoad, TwoFixesInARowOfferOnlyWhatIsLeftAndAppendToTheFixedLog)
{
    file.create<vdaCircle>("CI1", giPoint3(0, 0, 0), 1.0, giVector3(1, 0, 0), giVector3(0, 1, 0), 10.0, 0.0);
    probe.log("CI1", make_packet("Circle entity has invalid angles", {}, fix_circle_angles, {10.0, 0.0}));
    probe.found("CI1");
    check_face_with_faulty_curve();

    EXPECT_EQ(probe.fix(), 0);
    EXPECT_EQ(messages(access.fixed_log(), "CI1"), (Names{"Circle entity has invalid angles"}));
    EXPECT_EQ(probe.fix(), 0);  // nothing changed in between: the same packets fail again
    EXPECT_EQ(access.fixed_log().num_logged("CI1"), 1);
    EXPECT_EQ(access.error_log().num_logged("CN1"), 1);

    access.error_log().remove("CV1");  // the host dealt with the curve itself
    EXPECT_EQ(probe.fix(), 1);
    EXPECT_EQ(messages(access.fixed_log(), "CI1"), (Names{"Circle entity has invalid angles"}));
    EXPECT_EQ(messages(access.fixed_log(), "CN1"), (Names{"Cons curve pointer points to invalid curve"}));
    EXPECT_EQ(messages(access.fixed_log(), "FC1"), (Names{"Face cons pointer points to invalid cons"}));
    EXPECT_EQ(probe.distance("CV1"), 3);
}

TEST_F(FaceRoad, CleanAfterAPartialFixDeletesWhatIsStillFaulty)
{
    file.create<vdaCircle>("CI1", giPoint3(0, 0, 0), 1.0, giVector3(1, 0, 0), giVector3(0, 1, 0), 10.0, 0.0);
    probe.log("CI1", make_packet("Circle entity has invalid angles", {}, fix_circle_angles, {10.0, 0.0}));
    probe.found("CI1");
    check_face_with_faulty_curve();
    EXPECT_EQ(probe.fix(), 0);

    probe.clean();
    EXPECT_EQ(file.find("CV1"), nullptr);
    EXPECT_EQ(file.find("CN1"), nullptr);
    EXPECT_EQ(file.find("FC1"), nullptr);
    EXPECT_NE(file.find("CI1"), nullptr);
    EXPECT_NE(file.find("SF1"), nullptr);
    EXPECT_EQ(access.error_log().empty(), 1);
    EXPECT_EQ(access.fixed_log().empty(), 1);
    EXPECT_EQ(access.fixed_log().num_logged("CI1"), 0);
    EXPECT_EQ(probe.num_nodes(), 4);  // nodes outlive their entities, with their distances
    EXPECT_EQ(probe.distance("CV1"), 3);
}

TEST_F(FaceRoad, CleanWithoutFixDeletesAndPassesOverNamesThatNoLongerResolve)
{
    check_face_with_faulty_curve();
    delete file.find("CN1");
    probe.clean();
    EXPECT_EQ(file.find("CV1"), nullptr);
    EXPECT_EQ(file.find("FC1"), nullptr);
    EXPECT_NE(file.find("SF1"), nullptr);
    EXPECT_EQ(file.size(), 1);
    EXPECT_EQ(access.error_log().empty(), 1);
}

// ---------------------------------------------------------------------------------------------------------
// The host's side: the accessor and the real checker

static_assert(!std::is_copy_constructible_v<vdcFileCheckAcc>);
static_assert(!std::is_copy_assignable_v<vdcFileCheckAcc>);

TEST(vdcFileCheckAcc, ReachesTheCheckersLogsAndResetFlag)
{
    vdaFile file;
    file.create<vdaPoint>("PT1", giPoint3(-utMath::max_double(), 0, 0));
    file.create<vdaPoint>("PT2", giPoint3(0, utMath::max_double(), 0));
    vdcRepairProbe checker;
    const vdcFileCheckAcc access(&checker);
    EXPECT_EQ(&access.error_log(), &checker.error_log);
    EXPECT_EQ(&access.fixed_log(), &checker.fixed_log);

    access.reset_logs(0);  // outermost checks accumulate
    EXPECT_EQ(checker.check(vdaObjectPtr(file.find("PT1"))), 0);
    EXPECT_EQ(checker.check(vdaObjectPtr(file.find("PT2"))), 0);
    EXPECT_EQ(access.error_log().num_logged("PT1"), 1);
    EXPECT_EQ(access.error_log().num_logged("PT2"), 1);

    access.reset_logs(1);  // each outermost check starts afresh
    EXPECT_EQ(checker.check(vdaObjectPtr(file.find("PT2"))), 0);
    EXPECT_EQ(access.error_log().num_logged("PT1"), 0);
    EXPECT_EQ(access.error_log().num_logged("PT2"), 1);
}

TEST(vdcFileCheck, ChecksFixesAndCleansAModelOfPoints)
{
    vdaFile file;
    file.create<vdaPoint>("PT1", giPoint3(-utMath::max_double(), 0, 0));
    file.create<vdaPoint>("PT2", giPoint3(1, 2, 3));
    file.create<vdaPset>("PS1", std::vector<giPoint3>{giPoint3(0, 0, utMath::max_double()), giPoint3(0, 0, 0),
                                                      giPoint3(-utMath::max_double(), 0, 0)});
    vdcRepairProbe checker;
    const vdcFileCheckAcc access(&checker);
    EXPECT_EQ(checker.check(file), 0);
    EXPECT_EQ(checker.node_names(), (Names{"PT1", "PS1"}));  // entities checked on their own: no edges
    EXPECT_EQ(checker.node("PT1")->num_children() + checker.node("PS1")->num_children(), 0);
    EXPECT_EQ(checker.fix(), 0);  // point problems have no repair
    EXPECT_EQ(access.fixed_log().empty(), 1);
    EXPECT_EQ(messages(access.error_log(), "PS1"),
              (Names{"Pset entity has invalid point", "Pset entity has invalid point"}));
    checker.clean();
    EXPECT_EQ(file.size(), 1);
    EXPECT_NE(file.find("PT2"), nullptr);
    EXPECT_EQ(checker.check(file), 1);
}

}  // namespace
