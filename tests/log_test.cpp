#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <iterator>
#include <random>
#include <utility>
#include <vector>

#include "repair_probe.h"

namespace {

int repair_a(const vdaObjectPtr&, const vdcErrorPacket&, const vdcLog&) { return 1; }

}  // namespace

// A packet is a value: assignment replaces every part of it, and the log holds its own copy and hands it
// back whole.
TEST(vdcLog, PacketsAreCopiedWholeOnAssignmentSaveAndTake)
{
    const vdcErrorPacket source = make_packet("Pset entity has invalid point", {7, 8}, repair_a, {3.5});
    vdcErrorPacket target = make_packet("", {1, 2, 3}, nullptr, {0.5, 4.5});
    target = source;
    const vdcErrorPacket& alias = target;
    target = alias;
    EXPECT_EQ(target.error_message().c_str(), source.error_message().c_str());  // the text is shared

    vdcLog log;
    log.save("P", target);
    target.add_int(99);
    const vdcErrorPacket taken = log.packet("P");
    EXPECT_EQ(std::vector({taken.num_int(), taken.get_int(0), taken.get_int(1), taken.num_dbl()}),
              std::vector({2, 7, 8, 1}));
    EXPECT_EQ(taken.get_dbl(0), 3.5);
    EXPECT_EQ(taken.error_function(), &repair_a);
    EXPECT_EQ(taken.error_message(), ut_lit("Pset entity has invalid point"));
    EXPECT_EQ(log.empty(), 1);  // an emptied list counts as nothing logged
}

// clear() is what a resetting check() does; the checker tests cover it.
TEST(vdcLog, RemoveDropsANameEvenWhenItsListIsPartlyTaken)
{
    vdcLog log;
    for (int i : {0, 1, 2})
        log.save("A", indices({i}));
    log.save("B", indices({10}));
    log.packet("A");  // partly taken before the removal
    log.remove("NONE");
    log.remove("A");
    EXPECT_EQ(std::pair(log.num_logged("A"), log.num_logged("B")), std::pair(0, 1));
    log.packet("B");
    EXPECT_EQ(log.empty(), 1) << "the count of held packets must survive remove() of a partly taken list";
}

// The repair driver's pattern: take num_logged(name) packets one by one and save some of them back.
// Every packet present before the first take is met once, and the ones saved back keep their order.
TEST(vdcLog, TakingAndSavingBackKeepsOrderPerName)
{
    vdcLog log;
    const utString names[] = {"E0", "E1", "E2", "E3", "E4"};
    std::vector<std::deque<int>> expected(std::size(names));
    std::mt19937 random(20240611);
    int next_id = 0;
    for (int round = 0; round < 300; ++round) {
        const std::size_t n = random() % expected.size();
        for (auto adds = random() % 4; adds > 0; --adds) {
            log.save(names[n], indices({next_id}));
            expected[n].push_back(next_id++);
        }
        const int held = log.num_logged(names[n]);
        ASSERT_EQ(held, static_cast<int>(expected[n].size()));
        for (int k = 0; k < held; ++k) {
            const vdcErrorPacket p = log.packet(names[n]);
            ASSERT_EQ(p.get_int(0), expected[n].front());
            expected[n].pop_front();
            if (random() % 3 != 0) {
                log.save(names[n], p);
                expected[n].push_back(p.get_int(0));
            }
        }
        const bool none = std::all_of(expected.begin(), expected.end(), [](const auto& q) { return q.empty(); });
        ASSERT_EQ(log.empty(), none ? 1 : 0);
    }
    for (std::size_t n = 0; n < expected.size(); ++n) {
        std::vector<int> listed;
        log.for_each_packet(names[n], [&](const vdcErrorPacket& p) { listed.push_back(p.get_int(0)); });
        EXPECT_EQ(listed, std::vector<int>(expected[n].begin(), expected[n].end()));
    }
}
