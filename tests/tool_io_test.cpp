// The tool end to end where a careless or hostile user can cost data or memory: an output that is standard
// output, endless or broken inputs, and signals while a large model is written.

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include <synthetic_model.h>
#include <vdacheck/vdacheck.h>

#include "vda_test_support.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

const fs::path bracket = fs::path(VDACHECK_SOURCE_DIR) / "examples" / "bracket.vda";

using vdatest::slurp;

// The tool started with `args`, its standard streams as given (-1: /dev/null for input, a file in the
// scratch folder for the outputs), SIGINT, SIGTERM and SIGHUP at their defaults as a shell leaves them.
class Child {
public:
    Child(const std::vector<std::string>& args, const fs::path& out, const fs::path& err, int in = -1)
    {
        posix_spawn_file_actions_t files;
        posix_spawn_file_actions_init(&files);
        if (in >= 0)
            posix_spawn_file_actions_adddup2(&files, in, STDIN_FILENO);
        else
            posix_spawn_file_actions_addopen(&files, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&files, STDOUT_FILENO, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&files, STDERR_FILENO, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        sigset_t defaults;
        sigemptyset(&defaults);
        for (const int s : {SIGINT, SIGTERM, SIGHUP, SIGPIPE})
            sigaddset(&defaults, s);
        posix_spawnattr_setsigdefault(&attributes, &defaults);
        sigset_t none;
        sigemptyset(&none);
        posix_spawnattr_setsigmask(&attributes, &none);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
        std::vector<char*> argv{const_cast<char*>(VDACHECK_TOOL)};
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        spawned_ = posix_spawn(&pid_, VDACHECK_TOOL, &files, &attributes, argv.data(), environ) == 0;
        posix_spawn_file_actions_destroy(&files);
        posix_spawnattr_destroy(&attributes);
    }
    pid_t pid() const { return pid_; }
    bool spawned() const { return spawned_; }
    // The status as waitpid gives it.
    int wait()
    {
        int status = 0;
        while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        return status;
    }

private:
    pid_t pid_ = -1;
    bool spawned_ = false;
};

class ToolIo : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("vdacheck_tool_io_" + std::to_string(getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    struct Run {
        int status = -1;
        std::string out, err;
    };
    // Runs a shell command line in the scratch folder; $T is the tool, $B the bundled bracket.
    Run shell(const std::string& line) const
    {
        const std::string command = "cd '" + dir.string() + "' && T='" + VDACHECK_TOOL + "' B='" + bracket.string() +
                                    "' sh -c '" + line + "' >'" + (dir / ".out").string() + "' 2>'" +
                                    (dir / ".err").string() + "'";
        const int status = std::system(command.c_str());
        Run run{WIFEXITED(status) ? WEXITSTATUS(status) : -1, slurp(dir / ".out"), slurp(dir / ".err")};
        fs::remove(dir / ".out");
        fs::remove(dir / ".err");
        return run;
    }
    std::vector<std::string> left() const
    {
        std::vector<std::string> names;
        for (const fs::directory_entry& e : fs::directory_iterator(dir))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path dir;
};

std::string repaired_bracket()
{
    const std::unique_ptr<vdaFile> file = vdaReader::load(bracket, {});
    vdc_repair(*file);
    return vdatest::written(*file);
}

// --- outputs

TEST_F(ToolIo, AnOutputThatIsStandardOutputGetsTheModelAndTheReportGoesToStandardError)
{
    const std::string model = repaired_bracket();
    struct Case {
        const char* line;
        const char* output;  // the file the model is found in; empty: standard output
    };
    const Case cases[] = {
        {"$T repair $B -o -", ""},
        {"$T repair $B -o /dev/stdout | cat", ""},
        {"$T repair $B -o out.vda >out.vda", "out.vda"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const Run run = shell(c.line);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(*c.output ? slurp(dir / c.output) : run.out, model);
        EXPECT_NE(run.err.find("repair " + bracket.string() + ": 32 entities"), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("27 entities saved to standard output"), std::string::npos) << run.err;
    }
    const Run page = shell("$T report $B -o - --max-triangles 100");
    EXPECT_EQ(page.status, 1);
    EXPECT_EQ(page.out.rfind("<!DOCTYPE html>", 0), 0u);
    EXPECT_NE(page.err.find("page written to standard output"), std::string::npos) << page.err;
    EXPECT_EQ(left(), std::vector<std::string>{"out.vda"});
}

// A report or model that cannot be written to standard output is an error naming it and the cause, and
// the run writes nothing after it: here a full disk, for every format, one file and several, the model.
TEST_F(ToolIo, AStandardOutputThatCannotBeWrittenStopsTheRunWithStatusTwo)
{
    const std::string full = "vdacheck: cannot write to standard output: No space left on device\n";
    for (const char* line : {"$T check $B >/dev/full", "$T check $B $B $B --format json >/dev/full",
                             "$T check $B $B --format sarif >/dev/full",
                             "$T fix $B -o fixed.vda --format sarif >/dev/full", "$T rules >/dev/full"}) {
        SCOPED_TRACE(line);
        const Run run = shell(line);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.err, full);
    }
    // The model goes to standard output, the report to standard error.
    const Run text = shell("$T repair $B -o - >/dev/full");
    EXPECT_EQ(text.status, 2);
    EXPECT_TRUE(text.err.starts_with("vdacheck: cannot write the model to standard output: No space left on device\n"))
        << text.err;
    EXPECT_TRUE(text.err.ends_with("5 entities deleted; not saved\n")) << text.err;
}

// A save that fails names the file it was to replace and why, and the report says it was not saved: a JSON
// report is not clean. The disk is a small file system of its own (a mount namespace, as root or not).
TEST_F(ToolIo, ASaveToAFullDiskNamesTheFileAndTheReportSaysSo)
{
    const std::string mount = "unshare -rm sh -c \"mount -t tmpfs -o size=4k tmpfs full && ";
    if (shell("mkdir full && " + mount + "true\"").status != 0)
        GTEST_SKIP() << "no mount namespace for a small file system";
    const Run text = shell(mount + "$T repair $B -o full/out.vda\"");
    EXPECT_EQ(text.status, 2);
    EXPECT_TRUE(text.out.ends_with("5 entities deleted; not saved\n")) << text.out;
    EXPECT_EQ(text.err, "vdacheck: cannot save full/out.vda: cannot write: No space left on device\n");
    const Run json = shell(mount + "$T fix $B -o full/out.vda --format json\"");
    EXPECT_EQ(json.status, 2);
    EXPECT_NE(json.out.find(R"("clean": false, "error": "cannot save full/out.vda: cannot write: No space left)"),
              std::string::npos)
        << json.out;
}

// --- inputs

// Writes `head` and then `fill` again and again into the tool's standard input until the tool stops
// reading; returns the bytes it took and its exit status.
std::pair<std::size_t, int> feed_until_refused(const fs::path& dir, const std::string& head, const std::string& fill,
                                               std::string& err)
{
    int pipe_fds[2];
    if (pipe2(pipe_fds, O_CLOEXEC) != 0)
        return {0, -1};
    Child child({"check", "-"}, dir / "out.txt", dir / "err.txt", pipe_fds[0]);
    close(pipe_fds[0]);
    const auto old = signal(SIGPIPE, SIG_IGN);
    std::size_t fed = 0;
    const std::string block = [&] {
        std::string b;
        while (b.size() < 65536)
            b += fill;
        return b;
    }();
    for (std::string_view chunk = head.empty() ? block : head; child.spawned() && fed < (std::size_t{1} << 31);) {
        const ssize_t n = write(pipe_fds[1], chunk.data(), chunk.size());
        if (n <= 0)
            break;
        fed += static_cast<std::size_t>(n);
        chunk.remove_prefix(static_cast<std::size_t>(n));
        if (chunk.empty())
            chunk = block;
    }
    close(pipe_fds[1]);
    signal(SIGPIPE, old);
    const int status = child.wait();
    err = slurp(dir / "err.txt");
    return {fed, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

TEST_F(ToolIo, EndlessStandardInputFailsAsSoonAsItsFirstBadRecordHasArrived)
{
    struct Case {
        const char* what;
        std::string head, fill;
        const char* error;
    };
    const Case cases[] = {
        {"/dev/zero", "", std::string(4096, '\0'), "<stdin>:1:81: error: "},
        {"a bad first record, then blank ones without end", "garbage\n", "\n", "<stdin>:1:8: error: "},
        {"a long comment", "$$", "comment ", "<stdin>:1:1025: error: the comment is longer than 1024 characters"},
        {"a model, then one line without end", "H = HEADER / 0\nH = END\n", "x", "<stdin>:3:1025: error: "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string err;
        const auto [fed, status] = feed_until_refused(dir, c.head, c.fill, err);
        EXPECT_EQ(status, 2);
        EXPECT_LT(fed, std::size_t{64} << 20) << "the tool read on past the error";
        EXPECT_EQ(err.rfind(c.error, 0), 0u) << err;
    }
}

TEST_F(ToolIo, AGigabyteOfOneRecordFailsAtItsStartWithoutBeingReadWhole)
{
    const fs::path huge = dir / "one_record.vda";
    {
        std::ofstream(huge) << "";
    }
    fs::resize_file(huge, std::size_t{1} << 30);  // sparse: a gigabyte of NULs, no line end
    Child child({"check", huge.string()}, dir / "out.txt", dir / "err.txt");
    const int status = child.wait();
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2);
    EXPECT_EQ(slurp(dir / "err.txt").rfind(huge.string() + ":1:81: error: ", 0), 0u) << slurp(dir / "err.txt");
    EXPECT_LT(usage.ru_maxrss, 256 * 1024) << "kilobytes at the peak";
}

// File names and text quoted from a file reach a terminal with their control bytes escaped: the reports,
// the reader's errors and the summary hold no byte that could move the cursor or change a colour.
TEST_F(ToolIo, ControlBytesInNamesAndContentAreShownEscaped)
{
    fs::create_directories(dir / "in");
    fs::copy_file(bracket, dir / "in" / "a\x1b[31mred\nline.vda");
    std::ofstream(dir / "in" / "bad.vda") << "H = HEADER / 0\nP1 = POINT / 1., \x1b[2J2., 3.\nH = END\n";
    std::ofstream(dir / "in" / "bad2.vda") << "H = HEADER / 0\nP\x07\x9b = POINT / 1., 2., 3.\nH = END\n";
    for (const char* line : {"$T check in", "$T check in --format json", "$T fix in --output-dir out"}) {
        SCOPED_TRACE(line);
        const Run run = shell(line);
        EXPECT_EQ(run.status, 2);
        for (const std::string& text : {run.out, run.err})
            for (const char c : text)
                EXPECT_TRUE(c == '\n' || (static_cast<unsigned char>(c) >= 0x20 && c != 0x7f))
                    << "byte " << int(c) << " in\n"
                    << text;
        if (std::string(line) == "$T check in") {
            EXPECT_NE(run.out.find("check in/a\\x1b[31mred\\x0aline.vda: 32 entities\n"), std::string::npos);
            EXPECT_NE(run.err.find("found '\\x1b[2J2.'"), std::string::npos) << run.err;
            EXPECT_NE(run.err.find("bad2.vda:2:2: error: "), std::string::npos) << run.err;
        }
    }
}

// --- signals

// The files the process holds open in `folder`: its temporary file while it writes the output there.
bool writes_in(pid_t pid, const fs::path& folder, const fs::path& input)
{
    std::error_code error;
    for (const fs::directory_entry& fd : fs::directory_iterator("/proc/" + std::to_string(pid) + "/fd", error)) {
        const fs::path target = fs::read_symlink(fd.path(), error);
        if (!error && target.parent_path() == folder && target != input)
            return true;
    }
    return false;
}

TEST_F(ToolIo, ASignalWhileALargeModelIsWrittenLeavesNoTemporaryFileAndEndsByTheSignal)
{
    const fs::path input = dir / "large.vda";
    {
        std::ofstream(input, std::ios::binary) << vda_synthetic_model(std::size_t{96} << 20);
    }
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(strsignal(signal));
        for (const bool existing : {false, true}) {
            if (existing)
                std::ofstream(dir / "out.vda") << "old\n";
            Child child({"fix", input.string(), "-o", (dir / "out.vda").string()}, "/dev/null", "/dev/null");
            ASSERT_TRUE(child.spawned());
            const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
            bool caught = false;
            while (!caught && std::chrono::steady_clock::now() < until && waitpid(child.pid(), nullptr, WNOHANG) == 0) {
                caught = writes_in(child.pid(), dir, input);
                if (!caught)
                    std::this_thread::sleep_for(std::chrono::microseconds(200));
            }
            ASSERT_TRUE(caught) << "the tool was not seen writing";
            kill(child.pid(), signal);
            const int status = child.wait();
            // Ended by the signal itself: a shell shows 128 + its number.
            EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << "status " << status;
            if (existing) {
                EXPECT_EQ(slurp(dir / "out.vda"), "old\n");
                fs::remove(dir / "out.vda");
            }
            EXPECT_EQ(left(), std::vector<std::string>{"large.vda"});
        }
    }
}

}  // namespace
