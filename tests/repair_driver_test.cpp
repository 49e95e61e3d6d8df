#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include <vdacheck/vdacheck.h>

#include "repair_probe.h"

namespace {

using Names = std::vector<std::string>;
using Tags = std::vector<int>;

// The accessor hands out the checker's own logs: copying it would only hide that.
static_assert(!std::is_copy_constructible_v<vdcFileCheckAcc> && !std::is_copy_assignable_v<vdcFileCheckAcc>);

// What the spy's repair was offered, as "entity#tag(logged)": the packet's int 0 as its tag and how many
// packets the log held under the entity's name during the call.
Names offers;

// Records the offer and answers with the packet's int 1; an int 1 of 2 deletes the entity and answers 1.
int spy_repair(const vdaObjectPtr& entity, const vdcErrorPacket& packet, const vdcLog& log)
{
    offers.push_back(std::string(entity->name().view()) + "#" + std::to_string(packet.get_int(0)) + "(" +
                     std::to_string(log.num_logged(entity->name())) + ")");
    if (packet.get_int(1) == 2)
        delete entity();
    return packet.get_int(1) != 0;
}

class RepairDriver : public ::testing::Test {
protected:
    RepairDriver() { offers.clear(); }

    // Each stack, bottom first, as check() records it: the entity whose reference led to the faulty one, if
    // any, then the faulty one.
    void found(std::initializer_list<std::vector<const char*>> stacks)
    {
        for (const auto& s : stacks)
            s.size() == 1 ? probe.found(s[0]) : probe.found(s[0], s[1]);
    }
    // Spy packets (entity, tag, result) under points made as needed; a result of -1 logs a packet without
    // repair function.
    void log(std::initializer_list<std::tuple<const char*, int, int>> packets)
    {
        for (auto [name, tag, result] : packets) {
            if (!file.find(name))
                file.create<vdaPoint>(name, giPoint3(0, 0, 0));
            probe.log(name, make_packet("Spy packet", {tag, result}, result < 0 ? nullptr : spy_repair));
        }
    }
    // The tags held under `name`: in the error log, then in the fixed log.
    std::pair<Tags, Tags> held(const char* name) const
    {
        std::pair<Tags, Tags> out;
        access.error_log().for_each_packet(name, [&](const vdcErrorPacket& p) { out.first.push_back(p.get_int(0)); });
        access.fixed_log().for_each_packet(name, [&](const vdcErrorPacket& p) { out.second.push_back(p.get_int(0)); });
        return out;
    }

    vdaFile file;
    vdcRepairProbe probe;
    const vdcFileCheckAcc access{&probe};
};

TEST_F(RepairDriver, OffersDeepestFirstAndInTableOrderWithinADistance)
{
    EXPECT_EQ(probe.fix(), 1);  // nothing found: nothing to repair
    // Roots A and B with children X and Y; C1 and C2 form a cycle that no root leads into. The faulty
    // entity's node comes first in the table, so C2 before C1.
    found({{"A", "X"}, {"A"}, {"B", "Y"}, {"B"}, {"C1", "C2"}, {"C2", "C1"}});
    log({{"C2", 0, 1}, {"C1", 0, 1}, {"B", 0, 1}, {"Y", 0, 1}, {"A", 0, 1}, {"X", 0, 1}});
    EXPECT_EQ(probe.fix(), 1);
    EXPECT_EQ(offers, (Names{"X#0(0)", "Y#0(0)", "A#0(0)", "B#0(0)", "C2#0(0)", "C1#0(0)"}));
}

TEST_F(RepairDriver, EachPacketWithRepairAndEntityIsOfferedOnceAndTheOthersStayInOrder)
{
    found({{"GR1", "PT1"}, {"PT2"}, {"PT3"}});  // GR1 gets a node but logs nothing
    log({{"PT1", 6, -1}, {"PT1", 1, 1}, {"PT1", 2, 0}, {"PT1", 3, 1}, {"PT1", 4, 0}});
    log({{"PT2", 5, 1}, {"PT2", 7, -1}, {"PT3", 8, 2}, {"PT3", 9, 1}});
    delete file.find("PT2");  // the host deleted the entity after the check

    EXPECT_EQ(probe.fix(), 0);
    // During each call the log lacks the packet on offer and the repaired ones before it, and holds the
    // ones put back. PT3's second packet finds its entity deleted by the first packet's repair.
    EXPECT_EQ(offers, (Names{"PT1#1(4)", "PT1#2(3)", "PT1#3(3)", "PT1#4(2)", "PT3#8(1)"}));
    EXPECT_EQ(held("PT1"), (std::pair{Tags{6, 2, 4}, Tags{1, 3}}));
    EXPECT_EQ(held("PT2"), (std::pair{Tags{5, 7}, Tags{}}));
    EXPECT_EQ(held("PT3"), (std::pair{Tags{9}, Tags{8}}));
    EXPECT_EQ(held("GR1"), (std::pair{Tags{}, Tags{}}));
}

TEST_F(RepairDriver, ALaterFixOffersWhatIsLeftAndNewFindsAndAppendsToTheFixedLog)
{
    found({{"GR1", "PT1"}, {"GR1"}});
    log({{"PT1", 1, 1}, {"GR1", 2, 0}});
    EXPECT_EQ(probe.fix(), 0);
    // A later check (logs kept) finds PT2 below GR1: the walk does not descend below GR1 again, so PT2
    // keeps distance 0 and comes after GR1.
    found({{"GR1", "PT2"}});
    log({{"PT2", 3, 1}});
    offers.clear();
    EXPECT_EQ(probe.fix(), 0);
    EXPECT_EQ(probe.distance("PT2"), 0);
    EXPECT_EQ(offers, (Names{"GR1#2(0)", "PT2#3(0)"}));
    EXPECT_EQ(held("PT1"), (std::pair{Tags{}, Tags{1}}));
    EXPECT_EQ(held("PT2"), (std::pair{Tags{}, Tags{3}}));
}

TEST_F(RepairDriver, CleanDeletesWhatIsStillFaultyAndPassesOverNamesThatNoLongerResolve)
{
    file.create<vdaPoint>("PT4", giPoint3(0, 0, 0));
    found({{"GR1", "PT2"}, {"PT1"}, {"PT3"}});  // GR1 names no entity and logs nothing
    log({{"PT1", 1, 1}, {"PT2", 2, 0}, {"PT3", 3, 0}});
    EXPECT_EQ(probe.fix(), 0);
    delete file.find("PT3");  // the host deleted it after the fix
    probe.clean();
    EXPECT_EQ(file.find("PT2"), nullptr);
    EXPECT_NE(file.find("PT1"), nullptr);  // repaired
    EXPECT_EQ(file.size(), 2);             // and PT4, never faulty
    EXPECT_TRUE(access.error_log().empty() && access.fixed_log().empty());
    EXPECT_EQ(probe.num_nodes(), 4);  // nodes outlive their entities, with their distances
    EXPECT_EQ(probe.distance("PT2"), 2);
}

}  // namespace
