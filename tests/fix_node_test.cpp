// The fix-node walk on its own; how check() and fix() build and walk the graph of whole models is in
// the cascade, checker and repair driver tests.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <vector>

#include <vdacheck/vdacheck.h>

// Random graphs, mostly chains and fans with cycles, self-edges and duplicate edges mixed in, against a
// plain recursion. Edges are added between walks, as a later check adds them, and every walk reuses the
// distances of the earlier ones.
TEST(vdcFixNode, WalkGivesTheDistancesOfTheRecursiveWalk)
{
    std::mt19937 random(20240611);
    auto below = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
    for (int round = 0; round < 400; ++round) {
        const std::size_t n = 1 + below(24);
        std::vector<std::vector<std::size_t>> children(n);
        std::vector<int> expected(n, 0), visiting(n, 0);
        int travelled = 0;
        std::function<void(std::size_t)> walk = [&](std::size_t i) {
            if (visiting[i])
                return;
            visiting[i] = 1;
            if (++travelled > expected[i]) {
                expected[i] = travelled;
                for (std::size_t child : children[i])
                    walk(child);
            }
            visiting[i] = 0;
            --travelled;
        };
        std::vector<vdcFixNode> nodes(n);
        for (int pass = 0; pass < 3; ++pass) {
            for (std::size_t e = below(2 * n); e > 0; --e) {
                const std::size_t from = below(n);
                const std::size_t to = below(4) == 0 ? below(n) : std::min(n - 1, from + 1 + below(3));
                nodes[from].depends_on(&nodes[to]);
                nodes[to].used();
                children[from].push_back(to);
            }
            vdcTraveller traveller;
            for (std::size_t i = 0; i < n; ++i)
                if (!nodes[i].is_used()) {
                    nodes[i].accept_traveller(traveller);
                    walk(i);
                }
            const std::size_t inner = below(n);  // a walk may also start below the roots
            nodes[inner].accept_traveller(traveller);
            walk(inner);
            EXPECT_EQ(traveller.distance_travelled(), 0);
            for (std::size_t i = 0; i < n; ++i)
                ASSERT_EQ(nodes[i].distance(), expected[i]) << "round " << round << ", pass " << pass << ", node " << i;
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
