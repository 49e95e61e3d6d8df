// Models whose reference chains nest far deeper than a thread's stack allows: the library runs such work
// on a stack of its own, from whatever thread the host calls it.

#include <gtest/gtest.h>

#include <charconv>
#include <chrono>
#include <iostream>
#include <stdexcept>
#include <thread>
#include <vector>

#include <vdacheck/util/ut_big_stack.h>
#include <vdacheck/vdacheck.h>

namespace {

utString chain_name(int i)
{
    char name[16] = {'G'};
    const auto end = std::to_chars(name + 1, name + sizeof name, i).ptr;
    return utString(std::string_view(name, static_cast<std::size_t>(end - name)));
}

// A chain of groups, each holding the next, ending in an invalid point: the check nests once per group.
std::unique_ptr<vdaFile> group_chain(int length)
{
    auto file = std::make_unique<vdaFile>();
    for (int i = 0; i < length; ++i)
        file->create<vdaGroup>(chain_name(i), std::vector<utString>{chain_name(i + 1)});
    file->create<vdaPoint>(chain_name(length), giPoint3(-utMath::max_double(), 0, 0));
    return file;
}

constexpr int deep = 100000;  // about 50 MB of stack at the measured use: far beyond a default 8 MiB stack

// check, fix, clean and repair, called on this thread (the test's main thread, with its default stack).
TEST(DeepModel, CheckFixCleanAndRepairFromTheCallingThread)
{
    const auto file = group_chain(deep);
    vdcFileCheck checker;
    const vdcFileCheckAcc access(&checker);
    EXPECT_EQ(checker.check(*file), 0);
    EXPECT_EQ(access.error_log().num_logged(chain_name(0)), 1);
    EXPECT_EQ(checker.check(vdaObjectPtr(file->find(chain_name(0)))), 0);  // one entity, just as deep
    EXPECT_EQ(checker.fix(), 0);  // the point cannot be repaired; every group drops its element
    EXPECT_EQ(access.fixed_log().num_logged(chain_name(deep - 1)), 1);
    checker.clean();
    EXPECT_EQ(file->size(), deep);

    const auto again = group_chain(deep);
    const vdcRepairResult result = vdc_repair(*again);
    EXPECT_TRUE(result.clean);
    EXPECT_EQ(result.rounds.size(), 2u);
    EXPECT_EQ(result.repaired(), deep);
    EXPECT_EQ(result.deleted(), 1);
    EXPECT_EQ(vdcFileCheck().check(*again), 1);
}

// The stack the checker asks for holds a deep chain: the measured use per nesting level stays below the
// allowance it sizes its stacks with.
TEST(DeepModel, MeasuredStackPerLevelStaysBelowTheAllowance)
{
    const auto file = group_chain(deep);
    vdcFileCheck checker;
    const std::size_t touched =
        utBigStack::run(vdcFileCheck::stack_for(static_cast<std::size_t>(file->size())), [&] { checker.check(*file); });
    const double per_level = static_cast<double>(touched) / deep;
    std::cout << "[ stack    ] " << per_level << " bytes per nesting level (allowance " << vdcFileCheck::stack_per_level
              << ")\n";
    EXPECT_LT(per_level, static_cast<double>(vdcFileCheck::stack_per_level));
}

// A check that runs on a stack of its own is stopped from the calling thread, which polls the token while
// it waits: the checker's thread only reads the answer.
TEST(DeepModel, ACheckOnAStackOfItsOwnIsCancelledFromTheCallingThread)
{
    const auto file = group_chain(deep);
    std::vector<std::thread::id> pollers;
    vdcFileCheck checker(utCancel(
        [&] {
            pollers.push_back(std::this_thread::get_id());
            return true;
        },
        std::chrono::milliseconds(0)));
    EXPECT_THROW(checker.check(*file), utCancelled);
    EXPECT_EQ(pollers, std::vector<std::thread::id>{std::this_thread::get_id()});
}

TEST(DeepModel, TheBigStackRunsHereWhenThereIsRoomAndPassesErrorsOn)
{
    EXPECT_GT(utBigStack::room(), std::size_t{64} << 10);
    // Ordinary models are checked on the caller's own (default 8 MiB) stack, without a thread of their own.
    EXPECT_LT(vdcFileCheck::stack_for(1000), utBigStack::room());
    bool ran = false;
    utBigStack::run_with(1024, [&] { ran = true; });
    EXPECT_TRUE(ran);
    EXPECT_THROW(utBigStack::run_with(std::size_t{64} << 20, [] { throw std::runtime_error("job failed"); }),
                 std::runtime_error);
}

}  // namespace
