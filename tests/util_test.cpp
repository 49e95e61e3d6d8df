#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include <vdacheck/util/co_ordered_map.h>
#include <vdacheck/util/ut_string.h>
#include <vdacheck/util/ut_terminal_text.h>
#include <vdacheck/util/ut_thread_team.h>

TEST(utString, ComparesBytesCaseSensitively)
{
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"FC267", "FC267", true}, {"fc267", "FC267", false}, {"FC26", "FC267", false}, {"", "", true}};
    for (const auto& [x, y, equal] : cases) {
        const utString a(x), b(y);
        EXPECT_EQ(a == b, equal) << x << " vs " << y;
        EXPECT_TRUE(!equal || a.hash() == b.hash()) << x;
    }
    EXPECT_EQ(utString("FC267"), ut_lit("FC267"));
    EXPECT_EQ(utString(std::string_view("AB\0C", 4)).size(), 4u);
    // A copy assigned anew leaves the string it was copied from alone; a moved-from one is empty.
    const utString a(std::string_view("CN260"));
    utString b = a;
    b = utString("OTHER");
    EXPECT_EQ(a, utString("CN260"));
    const utString moved = std::move(b);
    EXPECT_EQ(moved, utString("OTHER"));
    EXPECT_TRUE(b.empty());  // NOLINT: a moved-from string is the empty string
}

// What could move a terminal's cursor or start an escape sequence is shown as \xNN; printable text, UTF-8
// included, stays.
TEST(utTerminalText, ControlsAndBytesThatAreNotUtf8AreEscaped)
{
    const std::pair<std::string, std::string> cases[] = {
        {"part 1.vda", "part 1.vda"},
        {"Teil \xc3\xa4\xe2\x82\xac.vda", "Teil \xc3\xa4\xe2\x82\xac.vda"},  // ä, €
        {"a\x1b[31mred\nline\t\r", "a\\x1b[31mred\\x0aline\\x09\\x0d"},
        {std::string("nul\0del\x7f", 8), "nul\\x00del\\x7f"},
        {"c1 \xc2\x9b"
         "2J",
         "c1 \\xc2\\x9b2J"},                                     // U+009B, a one-byte CSI
        {"bad \xff\xc3 \xe2\x82", "bad \\xff\\xc3 \\xe2\\x82"},  // not UTF-8, cut short
    };
    for (const auto& [text, shown] : cases)
        EXPECT_EQ(ut_terminal_text(text), shown) << text;
}

TEST(coOrderedMap, IteratesInInsertionOrderThroughGrowthAndErasure)
{
    coOrderedMap<utString, int> map;
    std::vector<std::string> names;
    for (int i = 0; i < 200; ++i) {
        names.push_back(std::to_string((i * 37) % 200));
        names.back().insert(names.back().begin(), 'N');  // not "N" + ...: g++ 12 -O3 warns falsely on it
        EXPECT_TRUE(map.try_emplace(utString(names.back()), i).second);
    }
    EXPECT_FALSE(map.try_emplace(utString(names[5]), -1).second);
    EXPECT_EQ(*map.find(utString(names[5])), 5);
    for (int i = 0; i < 200; i += 2)
        EXPECT_TRUE(map.erase(utString(names[static_cast<std::size_t>(i)])));
    EXPECT_FALSE(map.erase(utString("N-none")));
    map.try_emplace(utString("LATE"), 1000);

    std::vector<int> seen;
    map.for_each([&](const utString&, int v) { seen.push_back(v); });
    ASSERT_EQ(seen.size(), 101u);
    for (std::size_t k = 0; k < 100; ++k)
        EXPECT_EQ(seen[k], static_cast<int>(2 * k + 1));
    EXPECT_EQ(seen.back(), 1000);
    EXPECT_EQ(map.size(), 101u);
    EXPECT_EQ(map.find(utString(names[0])), nullptr);
    EXPECT_EQ(*map.find(utString(names[199])), 199);
}

TEST(utThreadTeam, EveryItemOnceWhateverTheThreadsAndTheFirstFailureReachesTheCaller)
{
    const std::tuple<std::size_t, unsigned> cases[] = {{0, 4}, {1, 4}, {3, 8}, {1000, 1}, {1000, 0}, {1000, 5}};
    for (const auto& [n, threads] : cases) {
        std::vector<std::atomic<int>> seen(n);
        utThreadTeam::for_each(n, threads, [&](std::size_t i) { ++seen[i]; });
        for (std::size_t i = 0; i < n; ++i)
            EXPECT_EQ(seen[i].load(), 1) << i << " of " << n << " on " << threads;
    }

    // The others stop taking items once the failure is seen: far from all of them run (a thread preempted
    // between its throw and the stop may let the others run on for a while, so the bound is the end).
    const std::size_t many = 50'000'000;
    std::atomic<std::size_t> after{0};
    EXPECT_THROW(utThreadTeam::for_each(many, 4,
                                        [&](std::size_t i) {
                                            if (i == 10)
                                                throw std::runtime_error("no");
                                            if (i > 10)
                                                ++after;
                                        }),
                 std::runtime_error);
    EXPECT_LT(after.load(), many - 11) << "the others went on to the end after the failure";

    utThreadTeam team(3, [] { throw std::runtime_error("helper"); });
    EXPECT_LE(team.size(), 3u);
    EXPECT_THROW(team.join(), std::runtime_error);
}

TEST(utThreadTeam, ZeroMeansEveryHardwareThreadAndCountsStayInRange)
{
    const unsigned hardware = std::max(1u, std::thread::hardware_concurrency());
    EXPECT_EQ(utThreadTeam::resolve(0), hardware);
    EXPECT_EQ(utThreadTeam::resolve(3), 3u);
    EXPECT_EQ(utThreadTeam::resolve(1ll << 40), unsigned(utThreadTeam::most));
    EXPECT_TRUE(utThreadTeam::valid(0) && utThreadTeam::valid(utThreadTeam::most));
    EXPECT_FALSE(utThreadTeam::valid(-1) || utThreadTeam::valid(utThreadTeam::most + 1));
}
