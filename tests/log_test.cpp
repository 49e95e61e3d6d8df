#include <gtest/gtest.h>

#include <deque>
#include <iterator>
#include <random>
#include <vector>

#include <vdacheck/check/vdc_error_packet.h>
#include <vdacheck/check/vdc_log.h>
#include <vdacheck/model/vda_object_ptr.h>

namespace {

int repair_a(const vdaObjectPtr&, const vdcErrorPacket&, const vdcLog&) { return 1; }
int repair_b(const vdaObjectPtr&, const vdcErrorPacket&, const vdcLog&) { return 0; }

vdcErrorPacket make_packet(int id, vdcErrorFunction f = nullptr)
{
    vdcErrorPacket p;
    p.set_error_message(ut_lit("Pset entity has invalid point"));
    p.add_int(id);
    p.add_dbl(id * 0.5);
    p.set_error_function(f);
    return p;
}

}  // namespace

TEST(vdcErrorPacket, NewPacketIsEmpty)
{
    const vdcErrorPacket p;
    EXPECT_EQ(p.error_function(), nullptr);
    EXPECT_TRUE(p.error_message().empty());
    EXPECT_EQ(p.num_int(), 0);
    EXPECT_EQ(p.num_dbl(), 0);
}

TEST(vdcErrorPacket, CopiesAreIndependentAndShareTheMessage)
{
    vdcErrorPacket source = make_packet(7, repair_a);
    source.add_int(8);

    vdcErrorPacket copy(source);
    copy.add_int(9);
    copy.add_dbl(1.5);
    EXPECT_EQ(source.num_int(), 2);
    EXPECT_EQ(source.num_dbl(), 1);
    EXPECT_EQ(copy.get_int(0), 7);
    EXPECT_EQ(copy.get_int(1), 8);
    EXPECT_EQ(copy.get_int(2), 9);
    EXPECT_EQ(copy.error_function(), &repair_a);
    EXPECT_EQ(copy.error_message().c_str(), source.error_message().c_str());

    // Assignment replaces the target's own values.
    vdcErrorPacket target = make_packet(1, repair_b);
    target.add_int(2);
    target.add_int(3);
    target = source;
    EXPECT_EQ(target.num_int(), 2);
    EXPECT_EQ(target.get_int(1), 8);
    EXPECT_EQ(target.num_dbl(), 1);
    EXPECT_EQ(target.error_function(), &repair_a);

    const vdcErrorPacket& alias = target;
    target = alias;
    EXPECT_EQ(target.num_int(), 2);
    EXPECT_EQ(target.get_int(0), 7);
    EXPECT_EQ(target.error_message(), ut_lit("Pset entity has invalid point"));
}

TEST(vdcLog, SaveAndTakeRoundTrip)
{
    vdcLog log;
    EXPECT_EQ(log.empty(), 1);
    EXPECT_EQ(log.num_logged("P"), 0);

    vdcErrorPacket saved = make_packet(4, repair_a);
    log.save("P", saved);
    saved.add_int(99);  // the log holds its own copy
    log.save("P", saved);
    EXPECT_EQ(log.num_logged("P"), 2);
    EXPECT_EQ(log.empty(), 0);

    const vdcErrorPacket first = log.packet("P");
    EXPECT_EQ(first.num_int(), 1);
    EXPECT_EQ(first.get_int(0), 4);
    EXPECT_EQ(first.get_dbl(0), 2.0);
    EXPECT_EQ(first.error_function(), &repair_a);
    EXPECT_EQ(first.error_message(), ut_lit("Pset entity has invalid point"));
    EXPECT_EQ(log.packet("P").num_int(), 2);

    // The emptied entry stays usable; an empty list counts as nothing logged.
    EXPECT_EQ(log.num_logged("P"), 0);
    EXPECT_EQ(log.empty(), 1);
    log.save("P", make_packet(5));
    EXPECT_EQ(log.packet("P").get_int(0), 5);
    EXPECT_EQ(log.empty(), 1);
}

TEST(vdcLog, RemoveAndClear)
{
    vdcLog log;
    for (int i = 0; i < 3; ++i)
        log.save("A", make_packet(i));
    log.save("B", make_packet(10));
    log.packet("A");  // partly taken before the removal

    log.remove("NONE");
    log.remove("A");
    EXPECT_EQ(log.num_logged("A"), 0);
    EXPECT_EQ(log.num_logged("B"), 1);
    EXPECT_EQ(log.empty(), 0);
    log.packet("B");
    EXPECT_EQ(log.empty(), 1) << "the count of held packets must survive remove() of a partly taken list";

    log.save("A", make_packet(1));
    log.save("C", make_packet(2));
    log.clear();
    EXPECT_EQ(log.empty(), 1);
    EXPECT_EQ(log.num_logged("A"), 0);
    EXPECT_EQ(log.num_logged("C"), 0);
    log.save("C", make_packet(3));
    EXPECT_EQ(log.num_logged("C"), 1);
}

// The repair driver's pattern: take num_logged(name) packets one by one and save some of them back.
// Every packet present before the first take is met once, and the ones saved back keep their order.
TEST(vdcLog, TakingAndSavingBackKeepsOrderPerName)
{
    vdcLog log;
    const char* const names[] = {"E0", "E1", "E2", "E3", "E4"};
    std::vector<std::deque<int>> expected(std::size(names));
    std::mt19937 random(20240611);
    int next_id = 0;
    auto name_of = [&](std::size_t n) { return utString(names[n]); };

    for (int round = 0; round < 300; ++round) {
        const std::size_t n = random() % expected.size();
        const utString name = name_of(n);
        const int adds = static_cast<int>(random() % 4);
        for (int k = 0; k < adds; ++k) {
            log.save(name, make_packet(next_id));
            expected[n].push_back(next_id++);
        }
        const int held = log.num_logged(name);
        ASSERT_EQ(held, static_cast<int>(expected[n].size()));
        for (int k = 0; k < held; ++k) {
            const vdcErrorPacket p = log.packet(name);
            ASSERT_EQ(p.get_int(0), expected[n].front());
            expected[n].pop_front();
            if (random() % 3 != 0) {
                log.save(name, p);
                expected[n].push_back(p.get_int(0));
            }
        }
        std::size_t total = 0;
        for (const auto& q : expected)
            total += q.size();
        ASSERT_EQ(log.empty(), total == 0 ? 1 : 0);
    }

    for (std::size_t n = 0; n < expected.size(); ++n) {
        std::vector<int> listed;
        log.for_each_packet(name_of(n), [&](const vdcErrorPacket& p) { listed.push_back(p.get_int(0)); });
        EXPECT_EQ(listed, std::vector<int>(expected[n].begin(), expected[n].end()));
    }
}
