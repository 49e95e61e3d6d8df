// Writing an output through ut_replace_file, whatever the path names: nothing there yet, a regular file, a
// symbolic link (kept, its target replaced), a FIFO or a device (written in place), or what cannot be
// written; with an unnamed temporary file and with a named one, for a writer given a stream and for one that
// opens a path itself; and a process that stops mid-write.

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <ostream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <tuple>

#include <gtest/gtest.h>

#include <vdacheck/util/ut_replace_file.h>
#include <vdacheck/util/ut_temporary_files.h>

#include "vda_test_support.h"

namespace fs = std::filesystem;

namespace {

using vdatest::slurp;

const auto writes_new = [](std::ostream& out) { out << "new text\n"; };

// Unnamed temporary files or named ones; the writer given a stream, or a path it opens itself.
class ReplaceFile : public ::testing::TestWithParam<std::tuple<bool, bool>> {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("vdacheck_replace_" + std::to_string(getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    void replace(const fs::path& path, const std::function<void(std::ostream&)>& write = writes_new,
                 utTemporaryFiles* temporaries = nullptr)
    {
        const utReplaceOptions options{temporaries, std::get<0>(GetParam())};
        if (!std::get<1>(GetParam())) {
            ut_replace_file(path, write, options);
            return;
        }
        ut_replace_file_at(
            path,
            [&](const fs::path& at) {
                std::ofstream out(at, std::ios::binary | std::ios::trunc);
                write(out);
                if (!out.flush())
                    throw std::runtime_error("cannot write " + at.string());
            },
            options);
    }
    // Nothing but the names given is left in the folder: no temporary file.
    void expect_only(std::initializer_list<const char*> names) const
    {
        std::vector<std::string> left, want(names.begin(), names.end());
        for (const fs::directory_entry& e : fs::directory_iterator(dir))
            left.push_back(e.path().filename().string());
        std::sort(left.begin(), left.end());
        std::sort(want.begin(), want.end());
        EXPECT_EQ(left, want);
    }

    fs::path dir;
};

TEST_P(ReplaceFile, FilesAreReplacedWholeAndLinksFollowedToTheirTarget)
{
    std::ofstream(dir / "old.vda") << "old text\n";
    fs::permissions(dir / "old.vda", fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_symlink("old.vda", dir / "link.vda");
    fs::create_symlink("link.vda", dir / "chain.vda");
    fs::create_symlink("later.vda", dir / "dangling.vda");

    replace(dir / "fresh.vda");
    EXPECT_EQ(slurp(dir / "fresh.vda"), "new text\n");
    replace(dir / "chain.vda", [](std::ostream& out) { out << "through two links\n"; });
    EXPECT_EQ(slurp(dir / "old.vda"), "through two links\n");
    EXPECT_EQ(fs::status(dir / "old.vda").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read)
        << "the permissions of the file replaced are kept";
    replace(dir / "dangling.vda");
    EXPECT_EQ(slurp(dir / "later.vda"), "new text\n") << "a link to nothing makes its target";
    for (const char* link : {"link.vda", "chain.vda", "dangling.vda"})
        EXPECT_TRUE(fs::is_symlink(dir / link)) << link << " is still a link";
    expect_only({"old.vda", "link.vda", "chain.vda", "dangling.vda", "later.vda", "fresh.vda"});
}

TEST_P(ReplaceFile, FifosAndDevicesAreWrittenInPlace)
{
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    std::string received;
    std::thread reader([&] { received = slurp(dir / "fifo"); });
    replace(dir / "fifo");
    reader.join();
    EXPECT_EQ(received, "new text\n");
    EXPECT_TRUE(fs::is_fifo(dir / "fifo"));

    // The null device made here, where replacing it would harm nothing; only with the right to make one.
    if (::mknod((dir / "null").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0) {
        replace(dir / "null");
        EXPECT_TRUE(fs::is_character_file(dir / "null"));
        expect_only({"fifo", "null"});
    } else {
        expect_only({"fifo"});
    }
}

TEST_P(ReplaceFile, WhatCannotBeWrittenIsRefusedAndLeavesNothing)
{
    fs::create_directories(dir / "folder.vda");
    fs::create_symlink("loop2.vda", dir / "loop1.vda");
    fs::create_symlink("loop1.vda", dir / "loop2.vda");
    std::ofstream(dir / "kept.vda") << "old text\n";
    struct Case {
        const char* path;
        std::function<void(std::ostream&)> write;
    };
    const Case cases[] = {
        {"folder.vda", writes_new},
        {"loop1.vda", writes_new},
        {"missing/part.vda", writes_new},
        {"kept.vda",
         [](std::ostream& out) {
             out << "half";
             throw std::runtime_error("the writer failed");
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_THROW(replace(dir / c.path, c.write), std::runtime_error);
    }
    EXPECT_EQ(slurp(dir / "kept.vda"), "old text\n");
    expect_only({"folder.vda", "loop1.vda", "loop2.vda", "kept.vda"});
}

// A process being stopped removes the named temporary files of its writes; none is made after that.
TEST_P(ReplaceFile, TemporariesRemovedWhileAWriteRunsLeaveNothingAndTheTargetAsItWas)
{
    std::ofstream(dir / "part.vda") << "old text\n";
    utTemporaryFiles temporaries;
    EXPECT_THROW(replace(
                     dir / "part.vda",
                     [&](std::ostream& out) {
                         out << "half";
                         temporaries.remove_all();
                         out << " and the rest\n";
                     },
                     &temporaries),
                 std::runtime_error);
    EXPECT_EQ(slurp(dir / "part.vda"), "old text\n");
    expect_only({"part.vda"});
    EXPECT_THROW(replace(dir / "part.vda", writes_new, &temporaries), std::runtime_error);
    EXPECT_EQ(slurp(dir / "part.vda"), "old text\n");
}

INSTANTIATE_TEST_SUITE_P(Temporary, ReplaceFile, ::testing::Combine(::testing::Bool(), ::testing::Bool()),
                         [](const ::testing::TestParamInfo<std::tuple<bool, bool>>& info) {
                             return std::string(std::get<0>(info.param) ? "unnamed" : "named") +
                                    (std::get<1>(info.param) ? "_path" : "_stream");
                         });

}  // namespace
