#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "checker_probe.h"

namespace {

using Stacks = std::vector<std::vector<const char*>>;
using Distances = std::map<std::string, int>;
using Names = std::vector<std::string>;

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

}  // namespace

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
    for (std::size_t i = 0; i + 1 < nodes.size(); ++i)
        nodes[i].depends_on(&nodes[i + 1]);
    vdcTraveller traveller;
    nodes[0].accept_traveller(traveller);
    EXPECT_EQ(traveller.distance_travelled(), 0);
    EXPECT_EQ(nodes[n / 2].distance(), n / 2 + 1);
    EXPECT_EQ(nodes[n - 1].distance(), n);
}

// Each case records faulty entities as check() would (the referring entity's name below the faulty one);
// fix() walks from every root. Recording leaves the name stack as it found it.
TEST(FixNodeGraph, DistancesAreLongestPathsFromTheRoots)
{
    struct Case {
        const char* what;
        Stacks stacks;
        Names roots;
        Distances distances;
    };
    const Case cases[] = {
        {"no faulty entity", {}, {}, {}},
        {"chain found inside out, each also checked on its own",
         {{"CV"}, {"CN", "CV"}, {"CN"}, {"FC", "CN"}, {"FC"}},
         {"FC"},
         {{"FC", 1}, {"CN", 2}, {"CV", 3}}},
        {"diamond: the longer path wins", {{"FC", "SF"}, {"CN", "SF"}, {"FC", "CN"}}, {"FC"}, {{"CN", 2}, {"SF", 3}}},
        {"two faces on one surface", {{"F1", "SF"}, {"F2", "SF"}}, {"F1", "F2"}, {{"F1", 1}, {"F2", 1}, {"SF", 2}}},
        {"group containing itself, and a duplicate edge", {{"G", "G"}, {"G", "G"}}, {}, {{"G", 0}}},
        {"cycle below a root", {{"R", "A"}, {"A", "B"}, {"B", "A"}}, {"R"}, {{"R", 1}, {"A", 2}, {"B", 3}}},
    };
    for (const Case& c : cases) {
        CheckerProbe g;
        for (const auto& stack : c.stacks)
            EXPECT_TRUE(g.record(stack)) << c.what;
        EXPECT_EQ(g.roots(), c.roots) << c.what;
        EXPECT_EQ(g.fix(), 1) << c.what;  // nothing logged: nothing to repair
        for (const auto& [name, distance] : c.distances)
            EXPECT_EQ(g.node(name.c_str())->distance(), distance) << c.what << ": " << name;
    }
}
