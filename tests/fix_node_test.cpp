#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "checker_probe.h"

using Stacks = std::vector<std::vector<const char*>>;
using Distances = std::map<std::string, int>;
using Names = std::vector<std::string>;

TEST(CreateFixNodes, LinksOnlyTheTwoInnermostNames)
{
    CheckerProbe g;
    EXPECT_TRUE(g.record({"E"}));
    EXPECT_TRUE(g.record({"E"}));
    EXPECT_EQ(g.num_nodes(), 1);
    EXPECT_EQ(g.node("E")->num_children(), 0);
    EXPECT_EQ(g.node("E")->is_used(), 0);

    EXPECT_TRUE(g.record({"A", "R", "F"}));
    EXPECT_EQ(g.node("A"), nullptr);
    ASSERT_NE(g.node("R"), nullptr);
    ASSERT_EQ(g.node("R")->num_children(), 1);
    EXPECT_EQ(g.node("R")->child(0), g.node("F"));
    EXPECT_EQ(g.node("F")->is_used(), 1);
    EXPECT_EQ(g.node("R")->is_used(), 0);

    EXPECT_TRUE(g.record({"G", "G"}));
    ASSERT_EQ(g.node("G")->num_children(), 1);
    EXPECT_EQ(g.node("G")->child(0), g.node("G"));
    EXPECT_EQ(g.node("G")->is_used(), 1);
    EXPECT_EQ(g.roots(), (Names{"E", "R"}));
}

// Each case records faulty entities as the checker would (the referring entity's name below the faulty
// one), walks once from every root and compares roots and distances.
TEST(FixNodeGraph, DistancesAreLongestPathsFromTheRoots)
{
    struct Case {
        const char* what;
        Stacks stacks;
        Names roots;
        Distances distances;
    };
    const Case cases[] = {
        {"single faulty curve", {{"CV"}}, {"CV"}, {{"CV", 1}}},
        {"chain found inside out", {{"CN", "CV"}, {"FC", "CN"}}, {"FC"}, {{"FC", 1}, {"CN", 2}, {"CV", 3}}},
        {"chain found top down", {{"FC", "CN"}, {"CN", "CV"}}, {"FC"}, {{"FC", 1}, {"CN", 2}, {"CV", 3}}},
        {"diamond: the longer path wins",
         {{"FC", "SF"}, {"CN", "SF"}, {"FC", "CN"}},
         {"FC"},
         {{"FC", 1}, {"CN", 2}, {"SF", 3}}},
        {"diamond met long path first",
         {{"CN", "SF"}, {"FC", "CN"}, {"FC", "SF"}},
         {"FC"},
         {{"FC", 1}, {"CN", 2}, {"SF", 3}}},
        {"two faces on one surface", {{"F1", "SF"}, {"F2", "SF"}}, {"F1", "F2"}, {{"F1", 1}, {"F2", 1}, {"SF", 2}}},
        {"duplicate edge", {{"FC", "CN"}, {"FC", "CN"}}, {"FC"}, {{"FC", 1}, {"CN", 2}}},
        {"group containing itself", {{"G", "G"}}, {}, {{"G", 0}}},
        {"cycle without a root", {{"A", "B"}, {"B", "A"}}, {}, {{"A", 0}, {"B", 0}}},
        {"cycle below a root", {{"R", "A"}, {"A", "B"}, {"B", "A"}}, {"R"}, {{"R", 1}, {"A", 2}, {"B", 3}}},
        {"self-edge below a root", {{"R", "G"}, {"G", "G"}}, {"R"}, {{"R", 1}, {"G", 2}}},
    };
    for (const Case& c : cases) {
        CheckerProbe g;
        for (const auto& stack : c.stacks)
            g.record(stack);
        EXPECT_EQ(g.roots(), c.roots) << c.what;
        g.walk();
        EXPECT_EQ(g.travelled_after_walk, 0) << c.what;
        for (const auto& [name, distance] : c.distances)
            EXPECT_EQ(g.node(name.c_str())->distance(), distance) << c.what << ": " << name;
    }
}

TEST(FixNodeGraph, DuplicateEdgesAreKept)
{
    CheckerProbe g;
    g.record({"FC", "CN"});
    g.record({"FC", "CN"});
    g.record({"FC", "SF"});
    EXPECT_EQ(g.node("FC")->num_children(), 3);
    EXPECT_EQ(g.node("FC")->child(0), g.node("CN"));
    EXPECT_EQ(g.node("FC")->child(1), g.node("CN"));
    EXPECT_EQ(g.node("FC")->child(2), g.node("SF"));
}

TEST(FixNodeGraph, LaterWalksNeverLowerDistancesNorDescendWalkedRoots)
{
    CheckerProbe g;
    g.record({"A", "B"});
    g.walk();
    EXPECT_EQ(g.node("A")->distance(), 1);
    EXPECT_EQ(g.node("B")->distance(), 2);

    // A new edge below a root that has been walked is not reached from it.
    g.record({"A", "C"});
    g.walk();
    EXPECT_EQ(g.node("A")->distance(), 1);
    EXPECT_EQ(g.node("C")->distance(), 0);

    // A new root above it reaches A deeper than before, so everything below A is walked again.
    g.record({"Z", "A"});
    g.walk();
    const Distances expected{{"Z", 1}, {"A", 2}, {"B", 3}, {"C", 3}};
    for (const auto& [name, distance] : expected)
        EXPECT_EQ(g.node(name.c_str())->distance(), distance) << name;

    // A shorter way to B later on changes nothing.
    g.record({"Y", "B"});
    g.walk();
    EXPECT_EQ(g.node("Y")->distance(), 1);
    EXPECT_EQ(g.node("B")->distance(), 3);
    EXPECT_EQ(g.travelled_after_walk, 0);
}

TEST(vdcFixNode, WalkStopsOnThePathItIsOn)
{
    vdcFixNode a, b;
    a.depends_on(&b);
    b.depends_on(&a);
    a.depends_on(&a);
    vdcTraveller traveller;
    a.accept_traveller(traveller);
    EXPECT_EQ(traveller.distance_travelled(), 0);
    EXPECT_EQ(a.distance(), 1);
    EXPECT_EQ(b.distance(), 2);

    b.accept_traveller(traveller);  // entered at depth 1: not deeper than 2, nothing below is walked
    EXPECT_EQ(b.distance(), 2);
    EXPECT_EQ(a.distance(), 1);
    EXPECT_EQ(traveller.distance_travelled(), 0);
}

TEST(vdcFixNode, LongChainsDoNotExhaustTheStack)
{
    const int length = 200000;
    std::vector<vdcFixNode> chain(static_cast<std::size_t>(length));
    for (std::size_t i = 0; i + 1 < chain.size(); ++i)
        chain[i].depends_on(&chain[i + 1]);
    vdcTraveller traveller;
    chain.front().accept_traveller(traveller);
    EXPECT_EQ(chain.back().distance(), length);
    EXPECT_EQ(chain[1000].distance(), 1001);
    EXPECT_EQ(traveller.distance_travelled(), 0);
}
