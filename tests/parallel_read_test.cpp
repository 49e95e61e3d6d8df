#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <synthetic_model.h>

#include "read_comparison.h"

using namespace vdatest;

namespace {

namespace fs = std::filesystem;

// Expects reads of `text` on three threads, and from a stream, to agree with the serial read, in chunks (and
// blocks) of every size up to a record's (so that cuts fall after every statement, alone and in every
// grouping of a few) and of every 13th size beyond, up to `up_to` bytes.
void expect_every_cut_agrees(const std::string& text, std::size_t up_to)
{
    const ReadOutcome serial = read_with(text, 1);
    for (std::size_t chunk_bytes = 1; chunk_bytes <= up_to; chunk_bytes += chunk_bytes < 80 ? 1 : 13) {
        SCOPED_TRACE("chunks of " + std::to_string(chunk_bytes) + " bytes");
        expect_same_read(serial, read_with(text, 3, chunk_bytes));
        expect_same_read(serial, read_streamed(text, chunk_bytes));
        if (testing::Test::HasFailure())
            return;  // one report per text is enough
    }
}

std::string crlf(const std::string& text)
{
    std::string out;
    for (const char ch : text) {
        if (ch == '\n')
            out += '\r';
        out += ch;
    }
    return out;
}

std::string replaced(std::string text, const std::string& from, const std::string& to)
{
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return text.replace(at, from.size(), to);
}

// Every kind of record and every statement the frame of a file knows, so that a cut falls after each: the
// HEADER's text records (which look like a comment and a continued statement), comments before and inside
// statements, blank and TAB records, sequence fields, nested, duplicate and unclosed sets, records after END.
const std::string every_record_kind = "$$ before the HEADER\n"
                                      "H = HEADER / 2\n"
                                      "$$ header text, not a comment\n"
                                      "P = POINT / 1., 2.,\n"
                                      "PT1 = POINT / 1., 2.," +
                                      std::string(51, ' ') +
                                      "00000010\n"
                                      "$$ a comment inside a statement\n"
                                      "   $$ an indented one\n"
                                      "\n"
                                      " \t 3.\n"
                                      "A = BEGINSET\n"
                                      "P1\t= POINT / 1, 2., 3.\n"
                                      "B = BEGINSET\n"
                                      "PT1 = POINT / 4., 5., 6.\n"
                                      "B = ENDSET\n"
                                      "$$ between the ENDSETs\n"
                                      "C = CURVE / 1, 0., 1., \t\n"
                                      " 2, 1., 2., 3., 4., 5., 6.\n"
                                      "A = ENDSET\n"
                                      "S = BEGINSET\n"
                                      "x = POINT / 1.e2, 0., 0.\n"
                                      "PS = PSET / 1., 1.E-400, 0., 0.\n"
                                      "G = GROUP / 2, PT1, C\n"
                                      "X = END\n"
                                      "garbage, / = after END\n";

TEST(ParallelRead, EveryCutOfTextsWithEveryRecordKindAgreesWithTheSerialRead)
{
    const std::string no_end = every_record_kind.substr(0, every_record_kind.find("X = END"));
    const std::string cases[] = {
        every_record_kind,
        crlf(every_record_kind),
        no_end,  // sets still open at the end of the file, missing END
        no_end + "T = POINT / 1., 2.,\n$$ the file ends inside this statement\n",
        // The first error in file order wins: an ENDSET that matches no set before a value that does not read,
        replaced(replaced(every_record_kind, "B = ENDSET", "Z = ENDSET"), "1.e2", "X"),
        // and such a value before such an ENDSET.
        replaced(replaced(every_record_kind, "A = ENDSET", "Z = ENDSET"), "4., 5., 6.", "4., X, 6."),
        replaced(every_record_kind, " 2, 1., 2.,", " 2, 1., 2.," + std::string(50, ' ') + "1234567890"),
        replaced(every_record_kind, "S = BEGINSET", "S = BEGINSET" + std::string(60, ' ') + ",1"),
        // What follows END is not read, even what would not read.
        replaced(every_record_kind, "garbage", "Q = POINT / 1.\nR = ENDSET\n"),
    };
    // The first reads with a warning of every kind the frame and the records give; the others fail.
    const ReadOutcome first = read_with(every_record_kind, 1);
    ASSERT_TRUE(first.file) << first.error->what();
    EXPECT_EQ(first.file->warnings().size(), 16u);
    for (const std::string& text : cases) {
        SCOPED_TRACE(text);
        expect_every_cut_agrees(text, text.size());
    }
}

// Each chunk lists at most 100 warnings of a kind; the file lists the first 100 of the whole text and sums
// up the rest, whichever chunks met them.
TEST(ParallelRead, WarningsBeyondTheLimitAreCountedAcrossChunks)
{
    std::string text = "H = HEADER / 0\n";
    for (int i = 0; i < 250; ++i)
        text.append("P").append(std::to_string(i)).append(" = POINT /\t1, 2., 3.\n\n");
    text += "H = END\n";
    const ReadOutcome serial = read_with(text, 1);
    ASSERT_TRUE(serial.file);
    ASSERT_EQ(serial.file->warnings().size(), 303u);
    EXPECT_EQ(serial.file->warnings()[300].message, "150 more warnings of this kind are not listed: blank record");
    // Chunks of 3000 bytes hold about 115 statements each.
    for (const std::size_t chunk_bytes : {1, 2, 3, 50, 900, 3000}) {
        SCOPED_TRACE("chunks of " + std::to_string(chunk_bytes) + " bytes");
        expect_same_read(serial, read_with(text, 3, chunk_bytes));
    }
}

// A large model is read, and loaded from a file in slices, on several threads as on one.
TEST(ParallelRead, SamplesFuzzSeedsAndSyntheticModelsReadAsOnOneThread)
{
    std::vector<fs::path> paths;
    for (const char* folder : {"/tests/data/samples", "/fuzz/corpus"})
        for (const fs::directory_entry& entry : fs::directory_iterator(std::string(VDACHECK_SOURCE_DIR) + folder))
            if (entry.path().extension() == ".vda")
                paths.push_back(entry.path());
    ASSERT_GT(paths.size(), 20u);
    for (const fs::path& path : paths) {
        SCOPED_TRACE(path.filename().string());
        read_all_ways(slurp(path.string()));
    }
    const std::string synthetic = vda_synthetic_model(std::size_t{3} << 20);
    ReadOutcome serial = read_with(synthetic, 1);
    ASSERT_TRUE(serial.file);
    expect_same_read(serial, read_with(synthetic, 4));
    expect_same_read(serial, read_with(synthetic, 2, 1));
    expect_same_read(serial, read_streamed(synthetic, std::size_t{3} << 19, 3));  // stretches read in chunks

    const fs::path path = fs::temp_directory_path() / ("vdacheck_parallel_load_" + std::to_string(::getpid()) + ".vda");
    std::ofstream(path, std::ios::binary) << synthetic;
    vdaReadOptions options;
    options.threads = 3;
    ReadOutcome loaded;
    loaded.file = vdaReader::load(path, options);
    fs::remove(path);
    EXPECT_EQ(loaded.file->source().text(), synthetic);
    EXPECT_EQ(loaded.file->source_name(), path.string());
    serial.file->source().name = path.string();
    expect_same_read(serial, loaded);
}

// A record far longer than any VDA-FS record fails the read wherever it stands, the same from a text, a
// stream and a file loaded in slices, at the first error in file order.
TEST(ParallelRead, RecordsFarTooLongFailEveryReadAlike)
{
    const std::string h = "H = HEADER / 1\n$$ header text\n";
    const std::string e = "H = END\n";
    const std::string x(3000, 'x');
    struct Case {
        std::string text;
        int line;
        int column;
    };
    const Case cases[] = {
        {h + "$$" + x + "\nP = POINT / 1., 2., 3.\n" + e, 3, 1025},       // a comment
        {h + "P = POINT / 1., 2., 3.\n" + e + "\n" + x + "\n", 6, 1025},  // after END
        {h + "P = POINT / 1., 2., 3.\n" + e + x, 5, 1025},                // after END, without a line end
        {h + "P = POINT / 1., 2.,\n" + x + "\n3.\n" + e, 4, 81},          // inside a statement
        {"H = HEADER / 1\n" + x + "\n" + e, 2, 81},                       // in the HEADER's text
        {h + "P = POINT / 1., X\n" + x + "\n" + e, 3, 17},                // an error before it wins
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 60));
        try {
            read_all_ways(c.text);
            ADD_FAILURE() << "read";
        } catch (const vdaReadError& error) {
            EXPECT_EQ(std::make_pair(error.line(), error.column()), std::make_pair(c.line, c.column)) << error.what();
        }
    }

    // In a file of several slices: whichever slice meets it, the error is the text's.
    std::string text = vda_synthetic_model(std::size_t{3} << 20);
    text.insert(text.find('\n', text.size() / 2) + 1, "$$" + x + "\n");
    const ReadOutcome serial = read_with(text, 1);
    ASSERT_TRUE(serial.error);
    const fs::path path = fs::temp_directory_path() / ("vdacheck_long_record_" + std::to_string(::getpid()) + ".vda");
    std::ofstream(path, std::ios::binary) << text;
    for (const unsigned threads : {1u, 3u}) {
        vdaReadOptions options;
        options.threads = threads;
        try {
            vdaReader::load(path, options);
            ADD_FAILURE() << "loaded";
        } catch (const vdaReadError& error) {
            EXPECT_EQ(error.message(), serial.error->message());
            EXPECT_EQ(std::make_pair(error.line(), error.column()),
                      std::make_pair(serial.error->line(), serial.error->column()));
        }
    }
    fs::remove(path);
}

// Progress: one report per chunk placed, on the calling thread, in file order, then the total.
TEST(ParallelRead, ReportsProgressAsChunksArePlaced)
{
    const std::string text = "H = HEADER / 0\nP1 = POINT / 1., 2., 3.\n$$ before P2\nP2 = POINT / 1., 2.,\n 3.\n"
                             "P3 = POINT / 1., 2., 3.\nH = END\n";
    std::vector<std::uint64_t> done;
    const std::thread::id caller = std::this_thread::get_id();
    vdaReadOptions options;
    options.threads = 3;
    options.chunk_bytes = 1;
    options.progress = [&](std::uint64_t d, std::uint64_t total) {
        EXPECT_EQ(std::this_thread::get_id(), caller);
        EXPECT_EQ(total, text.size());
        done.push_back(d);
    };
    const auto file = vdaReader::read(text, "test.vda", options);
    std::vector<std::uint64_t> ends;
    for (const char* name : {"P1", "P2", "P3"})
        ends.push_back(file->source().spans[file->find(name)->slot()].end);
    ends.push_back(text.size());
    EXPECT_EQ(done, ends);
}

// Texts of a megabyte and more are read in chunks when more than one thread is allowed; the progress
// reports tell, as a chunked read reports each chunk and a serial read only every 4 MB. Either way they rise
// to the total.
TEST(ParallelRead, LargeTextsAreReadInChunksSmallOnesSerially)
{
    struct Case {
        std::size_t bytes;
        unsigned threads;
        std::size_t reports;  // 0: more than one, one per chunk
    };
    const Case cases[] = {{2u << 20, 2, 0}, {2u << 20, 1, 1}, {900u << 10, 4, 1}, {9u << 20, 1, 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.bytes) + " bytes, " + std::to_string(c.threads) + " threads");
        std::string text = "H = HEADER / 0\n";
        while (text.size() < c.bytes)
            text += "P = POINT / 1.2345678901234567, 2.2345678901234567, 3.2345678901234567\n";
        std::vector<std::uint64_t> done;
        vdaReadOptions options;
        options.threads = c.threads;
        options.progress = [&](std::uint64_t d, std::uint64_t total) { done.push_back(total == text.size() ? d : 0); };
        vdaReader::read(text, "big.vda", options);
        ASSERT_TRUE(c.reports ? done.size() == c.reports : done.size() > 1) << done.size();
        EXPECT_TRUE(std::is_sorted(done.begin(), done.end()));
        EXPECT_EQ(done.back(), text.size());
    }
}

}  // namespace
