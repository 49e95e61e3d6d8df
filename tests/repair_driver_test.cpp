#include <gtest/gtest.h>

#include <string>
#include <type_traits>
#include <vector>

#include <vdacheck/vdacheck.h>

#include "repair_probe.h"

namespace {

using Names = std::vector<std::string>;

// The accessor hands out the checker's own logs: copying it would only hide that.
static_assert(!std::is_copy_constructible_v<vdcFileCheckAcc>);
static_assert(!std::is_copy_assignable_v<vdcFileCheckAcc>);

// What the spy's repair was offered, as "entity#tag(logged)": the packet's int 0 as its tag and how many
// packets the log held under the entity's name during the call.
Names offers;

// Records the offer and answers with the packet's int 1.
int spy_repair(const vdaObjectPtr& entity, const vdcErrorPacket& packet, const vdcLog& log)
{
    offers.push_back(std::string(entity->name().view()) + "#" + std::to_string(packet.get_int(0)) + "(" +
                     std::to_string(log.num_logged(entity->name())) + ")");
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
    EXPECT_EQ(probe.node_names(), (Names{"X", "A", "Y", "B", "C2", "C1"}));  // the faulty entity's node first
    for (const char* name : {"C2", "C1", "B", "Y", "A", "X"})
        probe.log(name, spy_packet(0, 1));

    EXPECT_EQ(probe.fix(), 1);
    EXPECT_EQ(offers, (Names{"X#0(0)", "Y#0(0)", "A#0(0)", "B#0(0)", "C2#0(0)", "C1#0(0)"}));
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
    EXPECT_EQ(offers, (Names{"PT1#1(3)", "PT1#2(2)", "PT1#3(2)", "PT1#4(1)", "PT2#5(0)"}));
    EXPECT_EQ(tags(access.error_log(), "PT1"), (std::vector<int>{2, 4}));
    EXPECT_EQ(tags(access.fixed_log(), "PT1"), (std::vector<int>{1, 3}));
    EXPECT_EQ(tags(access.fixed_log(), "PT2"), (std::vector<int>{5}));
    EXPECT_EQ(access.error_log().num_logged("PT2"), 0);
}

TEST_F(RepairDriver, PacketsWithoutRepairOrWithoutEntityStayUnoffered)
{
    add_points({"PT1", "PT2", "PT3"});
    probe.found("GR1", "PT1");  // GR1 gets a node but logs nothing
    probe.found("PT2");
    probe.found("PT3");
    probe.log("PT1", make_packet("Point entity has invalid point"));
    probe.log("PT1", spy_packet(1, 1));
    probe.log("PT2", spy_packet(2, 1));
    probe.log("PT2", make_packet("Point entity has invalid point"));
    probe.log("PT3", make_packet("Deleting packet", {0}, deleting_repair));
    probe.log("PT3", spy_packet(3, 1));
    delete file.find("PT2");  // the host deleted the entity after the check

    EXPECT_EQ(probe.fix(), 0);
    // PT3's second packet finds its entity deleted by the first packet's repair.
    EXPECT_EQ(offers, (Names{"PT1#1(1)"}));
    EXPECT_EQ(messages(access.error_log(), "PT1"), (Names{"Point entity has invalid point"}));
    EXPECT_EQ(tags(access.fixed_log(), "PT1"), (std::vector<int>{1}));
    EXPECT_EQ(messages(access.error_log(), "PT2"), (Names{"Spy packet", "Point entity has invalid point"}));
    EXPECT_EQ(messages(access.fixed_log(), "PT3"), (Names{"Deleting packet"}));
    EXPECT_EQ(messages(access.error_log(), "PT3"), (Names{"Spy packet"}));
    EXPECT_EQ(access.error_log().num_logged("GR1") + access.fixed_log().num_logged("GR1"), 0);
}

TEST_F(RepairDriver, ALaterFixOffersWhatIsLeftAndNewFindsAndAppendsToTheFixedLog)
{
    add_points({"GR1", "PT1", "PT2"});
    probe.found("GR1", "PT1");
    probe.found("GR1");
    probe.log("PT1", spy_packet(1, 1));
    probe.log("GR1", spy_packet(2, 0));
    EXPECT_EQ(probe.fix(), 0);
    // A later check (logs kept) finds PT2 below GR1: the walk does not descend below GR1 again, so PT2
    // keeps distance 0 and comes after GR1.
    probe.found("GR1", "PT2");
    probe.log("PT2", spy_packet(3, 1));
    offers.clear();
    EXPECT_EQ(probe.fix(), 0);
    EXPECT_EQ(probe.distance("PT2"), 0);
    EXPECT_EQ(offers, (Names{"GR1#2(0)", "PT2#3(0)"}));
    EXPECT_EQ(tags(access.fixed_log(), "PT1"), (std::vector<int>{1}));
    EXPECT_EQ(tags(access.fixed_log(), "PT2"), (std::vector<int>{3}));
}

TEST_F(RepairDriver, CleanDeletesWhatIsStillFaultyAndPassesOverNamesThatNoLongerResolve)
{
    add_points({"PT1", "PT2", "PT3", "PT4"});
    probe.found("GR1", "PT2");  // GR1 names no entity and logs nothing
    probe.found("PT1");
    probe.found("PT3");
    probe.log("PT1", spy_packet(1, 1));
    probe.log("PT2", spy_packet(2, 0));
    probe.log("PT3", spy_packet(3, 0));
    EXPECT_EQ(probe.fix(), 0);
    delete file.find("PT3");  // the host deleted it after the fix
    probe.clean();
    EXPECT_EQ(file.find("PT2"), nullptr);
    EXPECT_NE(file.find("PT1"), nullptr);  // repaired
    EXPECT_EQ(file.size(), 2);             // and PT4, never faulty
    EXPECT_EQ(access.error_log().empty(), 1);
    EXPECT_EQ(access.fixed_log().empty(), 1);
    EXPECT_EQ(probe.num_nodes(), 4);  // nodes outlive their entities, with their distances
    EXPECT_EQ(probe.distance("PT2"), 2);
}

}  // namespace
