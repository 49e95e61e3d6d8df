// Unit tests of the tool's batch pieces: the inputs a command line names, where --output-dir puts them,
// the pool that works on several at once and delivers in order, the summary and the progress line.

#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <tool/vdc_batch_input.h>
#include <tool/vdc_batch_summary.h>
#include <tool/vdc_cli_options.h>
#include <tool/vdc_ordered_pool.h>
#include <tool/vdc_progress_bar.h>

namespace fs = std::filesystem;

namespace {

class BatchInput : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = fs::temp_directory_path() / ("vdacheck_batch_input_" + std::to_string(getpid()));
        fs::remove_all(root);
        for (const char* name : {"in/b.vda", "in/A.VDA", "in/a/z.vda", "in/a.b/y.Vdafs", "in/a/deeper/x.vda",
                                 "in/notes.txt", "in/b.vda.bak", "in/.vda", "in/out/old.vda", "single.vda"}) {
            fs::create_directories((root / name).parent_path());
            std::ofstream(root / name) << "12345";
        }
        fs::create_directories(root / "empty");
        fs::current_path(root);
    }
    void TearDown() override
    {
        fs::current_path(fs::temp_directory_path());
        fs::remove_all(root);
    }

    fs::path root;
};

TEST_F(BatchInput, FoldersAreWalkedInSortedOrderForModelFilesOnly)
{
    const std::vector<vdcBatchInput> inputs = vdcBatchInput::expand({"in", "single.vda", "-", "empty"}, "in/out");
    struct Expected {
        const char* shown;
        const char* relative;
    };
    // Names compare folder by folder: in/a/... comes before in/a.b/...; upper case before lower case.
    const Expected expected[] = {
        {"in/A.VDA", "A.VDA"},     {"in/a/deeper/x.vda", "a/deeper/x.vda"},
        {"in/a/z.vda", "a/z.vda"}, {"in/a.b/y.Vdafs", "a.b/y.Vdafs"},
        {"in/b.vda", "b.vda"},     {"single.vda", "single.vda"},
        {"<stdin>", "<stdin>"},    {"empty", ""},
    };
    ASSERT_EQ(inputs.size(), std::size(expected));
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        SCOPED_TRACE(expected[i].shown);
        EXPECT_EQ(inputs[i].shown, expected[i].shown);
        EXPECT_EQ(inputs[i].relative.generic_string(), expected[i].relative);
    }
    EXPECT_EQ(inputs[0].bytes, 5u);
    EXPECT_EQ(inputs[6].path, "-");
    EXPECT_EQ(inputs[5].error, "");
    EXPECT_NE(inputs[7].error, "") << "a folder without models is reported, not passed over";
    EXPECT_EQ(vdcBatchInput::expand({"in"}).size(), 6u) << "without a folder to skip, in/out is walked too";
}

// An entry that cannot be listed or opened is an input of its own, with its error, in its place; the rest of
// the folder is walked all the same.
TEST_F(BatchInput, EntriesThatCannotBeListedOrOpenedAreReportedInTheirPlace)
{
    fs::create_directories("in/locked");
    std::ofstream("in/locked/hidden.vda") << "12345";
    fs::permissions("in/locked", fs::perms::none);
    fs::create_symlink("loop2.vda", "in/loop1.vda");
    fs::create_symlink("loop1.vda", "in/loop2.vda");
    fs::create_symlink("nowhere.vda", "in/gone.vda");
    fs::create_symlink("a", "in/link");  // a link to a folder is not followed
    // Permissions do not bind root: the walk runs as nobody then.
    const bool root = geteuid() == 0;
    ASSERT_TRUE(!root || seteuid(65534) == 0);
    const std::vector<vdcBatchInput> inputs = vdcBatchInput::expand({"in"}, "in/out");
    ASSERT_TRUE(!root || seteuid(0) == 0);
    fs::permissions("in/locked", fs::perms::owner_all);

    struct Expected {
        const char* shown;
        const char* error;
    };
    const Expected expected[] = {
        {"in/A.VDA", ""},
        {"in/a/deeper/x.vda", ""},
        {"in/a/z.vda", ""},
        {"in/a.b/y.Vdafs", ""},
        {"in/b.vda", ""},
        {"in/gone.vda", "cannot open it: No such file or directory"},
        {"in/locked", "cannot list the folder: Permission denied"},
        {"in/loop1.vda", "cannot open it: Too many levels of symbolic links"},
        {"in/loop2.vda", "cannot open it: Too many levels of symbolic links"},
    };
    ASSERT_EQ(inputs.size(), std::size(expected));
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        SCOPED_TRACE(expected[i].shown);
        EXPECT_EQ(inputs[i].shown, expected[i].shown);
        EXPECT_EQ(inputs[i].error, expected[i].error);
    }
}

TEST_F(BatchInput, OutputsMirrorTheFoldersAndNeverCollideOrOverwrite)
{
    const std::vector<fs::path> outputs = vdcBatchInput::outputs(vdcBatchInput::expand({"in/a", "single.vda"}), "dir");
    ASSERT_EQ(outputs.size(), 3u);
    EXPECT_EQ(outputs[0], "dir/deeper/x.vda");
    EXPECT_EQ(outputs[1], "dir/z.vda");
    EXPECT_EQ(outputs[2], "dir/single.vda");

    struct Case {
        std::vector<std::string> paths;
        const char* dir;
        const char* why;
    };
    const Case refused[] = {
        {{"in/a", "in/a/z.vda"}, "dir", "two inputs saved to dir/z.vda"},
        {{"in"}, "in", "every output the input itself"},
        {{"in/a/z.vda"}, "in/a/deeper/..", "the same folder spelled differently"},
        {{"-"}, "dir", "standard input has no name"},
    };
    for (const Case& c : refused) {
        SCOPED_TRACE(c.why);
        EXPECT_THROW(vdcBatchInput::outputs(vdcBatchInput::expand(c.paths), c.dir), vdcUsageError);
    }
}

TEST(OrderedPool, DeliversInInputOrderWithAtMostJobsRunningAndABoundedLookAhead)
{
    constexpr int jobs = 2;
    constexpr std::size_t window = 4;
    constexpr std::size_t count = 20;
    std::mutex mutex;
    std::condition_variable third_done;
    bool third_finished = false;
    std::atomic<int> running{0};
    std::atomic<int> most_running{0};
    std::atomic<std::size_t> delivered{0};
    std::vector<std::size_t> order;

    vdcOrderedPool<std::size_t> pool(jobs, window);
    pool.run(
        count,
        [&](std::size_t i) {
            const int now = ++running;
            int most = most_running.load();
            while (now > most && !most_running.compare_exchange_weak(most, now)) {
            }
            EXPECT_LE(i, delivered.load() + window) << "item " << i << " taken too far ahead";
            // Item 0 finishes only after item 3: the results come out of order.
            std::unique_lock lock(mutex);
            if (i == 0)
                third_done.wait(lock, [&] { return third_finished; });
            if (i == 3) {
                third_finished = true;
                third_done.notify_all();
            }
            --running;
            return i * 10;
        },
        [&](std::size_t i, std::size_t&& result) {
            EXPECT_EQ(result, i * 10);
            order.push_back(i);
            ++delivered;
        },
        {});
    ASSERT_EQ(order.size(), count);
    for (std::size_t i = 0; i < count; ++i)
        EXPECT_EQ(order[i], i);
    EXPECT_LE(most_running.load(), jobs);
}

TEST(OrderedPool, AFailureInDeliveryStopsTheWorkersAndReachesTheCaller)
{
    vdcOrderedPool<int> pool(3, 6);
    std::atomic<int> worked{0};
    EXPECT_THROW(pool.run(
                     1000, [&](std::size_t) { return ++worked; },
                     [](std::size_t i, int&&) {
                         if (i == 5)
                             throw std::runtime_error("disk full");
                     },
                     {}),
                 std::runtime_error);
    EXPECT_LE(worked.load(), 6 + 6) << "workers went on after the failure";
}

// Many jobs over a small window wait for room all the time: every delivery must wake a worker, and every
// item must reach the caller in order. A failing item ends the run and reaches the caller.
TEST(OrderedPool, ManyJobsOverASmallWindowNeitherStallNorReorder)
{
    for (const auto& [jobs, window] : {std::pair{64, std::size_t{3}}, std::pair{5, std::size_t{1}}}) {
        vdcOrderedPool<std::size_t> pool(jobs, window);
        std::size_t expected = 0;
        pool.run(
            5000, [](std::size_t i) { return i; },
            [&](std::size_t i, std::size_t&& result) {
                EXPECT_EQ(i, expected);
                EXPECT_EQ(result, expected++);
            },
            {});
        EXPECT_EQ(expected, 5000u);
    }
    vdcOrderedPool<int> failing(4, 8);
    EXPECT_THROW(failing.run(
                     100,
                     [](std::size_t i) {
                         if (i == 50)
                             throw std::runtime_error("cannot read");
                         return 0;
                     },
                     [](std::size_t, int&&) {}, {}),
                 std::runtime_error);
}

vdcFileOutcome outcome(const char* file, vdcFileOutcome::State state, double seconds,
                       std::vector<std::pair<std::string_view, int>> problems = {})
{
    vdcFileOutcome o;
    o.file = file;
    o.state = state;
    o.seconds = seconds;
    o.bytes = 2500;
    o.problems_per_rule = std::move(problems);
    return o;
}

TEST(BatchSummary, CountsFilesAndRulesAndKeepsTheSlowest)
{
    using S = vdcFileOutcome::State;
    vdcBatchSummary summary;
    summary.add(outcome("a.vda", S::problems, 0.5, {{"face-cons-ptr", 2}, {"point-validity", 1}}));
    summary.add(outcome("b.vda", S::clean, 2.0));
    summary.add(outcome("c.vda", S::unreadable, 0.001));
    summary.add(outcome("d.vda", S::problems, 0.5, {{"circle-angles", 3}, {"face-cons-ptr", 1}}));
    std::vector<std::string> more;  // twelve more rules, once each: only ten rules are listed
    for (int i = 10; i < 22; ++i)
        more.push_back("z-rule-" + std::to_string(i));
    for (const std::string& id : more)
        summary.add(outcome("e.vda", S::unwritten, 0.0, {{id, 1}}));
    summary.set_seconds(3.25);

    const std::vector<vdcBatchSummary::RuleCount> rules = summary.rules();
    ASSERT_EQ(rules.size(), vdcBatchSummary::top_rules);
    // Most frequent first, equally frequent ones by id.
    EXPECT_EQ(rules[0].rule, "circle-angles");
    EXPECT_EQ(rules[1].rule, "face-cons-ptr");
    EXPECT_EQ(rules[0].count + rules[1].count, 6);
    EXPECT_EQ(rules[2].rule, "point-validity");
    EXPECT_EQ(rules[9].rule, "z-rule-16");

    const auto& slowest = summary.slowest();
    ASSERT_EQ(slowest.size(), vdcBatchSummary::top_files);
    EXPECT_EQ(slowest[0].file, "b.vda");
    EXPECT_EQ(slowest[1].file, "a.vda") << "equally slow files stay in input order";
    EXPECT_EQ(slowest[2].file, "d.vda");
    EXPECT_EQ(slowest[3].file, "e.vda") << "a file that could not be read is not among the slowest";

    std::ostringstream json;
    summary.write_json(json);
    EXPECT_TRUE(
        json.str().starts_with("{\"summary\": {\"files\": 16, \"clean\": 1, \"problems\": 2, \"unreadable\": 1, "
                               "\"unwritten\": 12, \"bytes\": 40000, \"seconds\": 3.25, \"rules\": [{\"rule\": "
                               "\"circle-angles\", \"count\": 3}, {\"rule\": \"face-cons-ptr\", \"count\": 3}, "))
        << json.str();
    EXPECT_EQ(json.str().find('\n'), json.str().size() - 1) << "one line";
}

TEST(BatchSummary, TextForAPerson)
{
    using S = vdcFileOutcome::State;
    vdcBatchSummary summary;
    summary.add(outcome("part.vda", S::problems, 1.5, {{"cons-curve-ptr", 1200}}));
    summary.add(outcome("other.vda", S::clean, 0.0042));
    summary.set_seconds(1.6);
    std::ostringstream text;
    summary.write_text(text);
    EXPECT_EQ(text.str(), "\n"
                          "summary: 2 files, 5.0 kB in 1.60 s: 1 clean, 1 with problems, 0 unreadable\n"
                          "most frequent problems (1 of 1 rule):\n"
                          "      1200  cons-curve-ptr\n"
                          "slowest files:\n"
                          "    1.50 s  part.vda (2.5 kB)\n"
                          "    4.2 ms  other.vda (2.5 kB)\n");
}

TEST(ProgressBar, LineShowsFilesRateElapsedAndRemainingTime)
{
    struct Case {
        std::size_t files_done, files;
        std::uint64_t bytes_done, bytes;
        double seconds;
        std::size_t width;
        const char* line;
    };
    const Case cases[] = {
        {12, 40, 50'000'000, 100'000'000, 10.0, 120,
         "[###############...............]  12/40 files  5.0 MB/s  0:10 elapsed  0:10 left"},
        {1, 4, 1'000'000, 0, 3725.0, 120, "[#######.......................]  1/4 files  0.0 MB/s  1:02:05 elapsed"},
        {0, 3, 0, 900, 0.0, 120, "[..............................]  0/3 files  0:00 elapsed"},
        {3, 3, 900, 900, 0.5, 120, "[##############################]  3/3 files  0.0 MB/s  0:01 elapsed"},
        {12, 40, 50'000'000, 100'000'000, 10.0, 60, "12/40 files  5.0 MB/s  0:10 elapsed  0:10 left"},
        {12, 40, 50'000'000, 100'000'000, 10.0, 20, "12/40 files  5.0 MB"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(vdcProgressBar::line(c.files_done, c.files, c.bytes_done, c.bytes, c.seconds, c.width), c.line);
}

}  // namespace
