#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "vda_test_support.h"

using namespace vdatest;

namespace {

const std::string h = "H = HEADER / 0\n";
const std::string e = "H = END\n";
using Names = std::vector<std::string>;

std::vector<std::string> lines_of(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t nl; (nl = text.find('\n', start)) != std::string::npos; start = nl + 1)
        lines.push_back(text.substr(start, nl - start));
    return lines;
}

// The data of each record: a record written afresh (80 columns) without its sequence number and the
// blanks before it, any other record as it is.
std::vector<std::string> records_of(const std::string& text)
{
    std::vector<std::string> records = lines_of(text);
    for (std::string& record : records)
        if (record.size() == 80)
            record.erase(record.find_last_not_of(' ', 71) + 1);
    return records;
}

// Every record written afresh is 80 columns with its output line number in columns 73-80.
void expect_regenerated(const std::string& record, std::size_t line)
{
    ASSERT_EQ(record.size(), 80u) << record;
    const std::string number = std::to_string(line);
    EXPECT_EQ(record.substr(72), std::string(8 - number.size(), '0') + number) << record;
}

// --- unchanged entities are copied byte for byte

// Unchanged, every spelling is copied as it is. An entity added in code, and the END that follows it where
// the source has none, start on records of their own (after a last record without a line end or ending in
// a lone CR, after an open set closed first), so that the result reads back the same.
TEST(UnchangedWrite, CopiesEverySpellingOfTheSourceAndAddsAfterItOnARecordOfItsOwn)
{
    const std::string texts[] = {
        h + "P = POINT / 1.E0,  +2.,3.    \n" + e,                  // odd spacing
        "H = HEADER / 0\r\nP = POINT / 1., 2., 3.\r\nH = END\r\n",  // CRLF
        h + "P = POINT / 1., 2., 3.",                               // no line end, no END
        h + "C = CURVE / 1, 0., 1.,\n$$ inside\n 2, 1., 2., 3., 4., 5., 6." + std::string(46, ' ') + "00000017\n" + e,
        h + "A = BEGINSET\n$$ before P\nP = POINT / 1., 2., 3.\nA = ENDSET\n" + e + "after END\n",
        "H = HEADER / 1\r\n\r\n\r",
        h + "P = POINT / 1., 2., 3.\nQ = POINT / 4., 5., 6.\n\r",
        h + "P = POINT / 1., 2., 3.\nQ = POINT / 4., 5., 6.\n$$ last",
        h + "A = BEGINSET\nP = POINT / 1., 2., 3.\n",  // a set left open: closed before the point added
    };
    for (const std::string& text : texts) {
        const auto file = read(text);
        EXPECT_EQ(written(*file), text);
        file->create<vdaPoint>("R", giPoint3(7, 8, 9));
        const std::string out = written(*file);
        EXPECT_EQ(vda_first_difference(*file, *read(out)), "") << out;
    }
}

// Without END in the source, an END is added only once the model changed.
TEST(UnchangedWrite, DeletedEntitiesVanishTheirCommentsStayAndAnEndIsAdded)
{
    const std::string text = h + "$$ the point\nP = POINT / 1., 2., 3.\nQ = POINT / 4., 5., 6.\n";
    const auto file = read(text);
    EXPECT_EQ(written(*file), text);
    file->remove(*file->find("P"));
    const std::string out = written(*file);
    EXPECT_EQ(records_of(out), (Names{"H = HEADER / 0", "$$ the point", "Q = POINT / 4., 5., 6.", "H        = END"}));
    expect_regenerated(lines_of(out)[3], 4);
}

// --- changed entities are written afresh

TEST(ChangedWrite, CircleWithANewPlaneReadsBackWithAllItsValues)
{
    const auto file = read(h +
                           "$$ circles\nC1 = CIRCLE / 0., 0., 0., 10., 1., 0., 0., 0., 1., 0., 0., 90.\n"
                           "C2 = CIRCLE / 5., 5., 5., 1., 1., 0., 0., 0., 1., 0., -90., 90.\n" +
                           e);
    auto& circle = const_cast<vdaCircle&>(entity<vdaCircle>(*file, "C1"));
    circle.set_plane(giVector3(0.6, 0.8, 0.0), giVector3(-0.8, 0.6, -0.0));
    const std::string out = written(*file);
    EXPECT_EQ(
        records_of(out),
        (Names{"H = HEADER / 0", "$$ circles", "C1       = CIRCLE / 0., 0., 0., 10., 0.6, 0.8, 0., -0.8, 0.6, -0., 0.,",
               "           90.", "C2 = CIRCLE / 5., 5., 5., 1., 1., 0., 0., 0., 1., 0., -90., 90.", "H = END"}));
    expect_regenerated(lines_of(out)[2], 3);  // the output line, not the line it was read from
    EXPECT_EQ(vda_first_difference(*file, *read(out)), "");
}

// Shortest round trip, always a decimal point, E exponent only where it is shorter: each text is the
// exact form of the double it denotes (12345678901234567 is no double; 12345678901234568 is).
TEST(ChangedWrite, DoublesInTheirShortestExactForm)
{
    std::istringstream texts("0. -0. 1.5 100. 0.1 0.001 1.E-05 1.5E-05 1.E+20 123456789. 12345678901234568. "
                             "-1.7976931348623157E+308 5.E-324");
    vdaFile file;
    file.create<vdaHeader>("H");
    for (std::string text; texts >> text;) {
        const double value = std::strtod(text.c_str(), nullptr);
        file.create<vdaPoint>("P", giPoint3(value, 0, 0));
        const std::string out = written(file);
        EXPECT_EQ(records_of(out),
                  (Names{"H        = HEADER / 0", "P        = POINT / " + text + ", 0., 0.", "H        = END"}));
        EXPECT_EQ(entity<vdaPoint>(*read(out), "P").point(), giPoint3(value, 0, 0));
        file.remove(*file.find("P"));
    }
}

TEST(ChangedWrite, LongStatementsContinueOnRecordsThatEndWithAComma)
{
    vdaFile file;
    file.create<vdaHeader>("H", std::vector<std::string>{"FIRST LINE", std::string(72, '*')});
    std::vector<giPoint3> points;
    for (int i = 0; i < 50; ++i)
        points.emplace_back(i * 1.0000000000000002, -1.7976931348623157e308, 1.0 / (i + 3));
    file.create<vdaPset>("LONGNAME", points);
    const std::string out = written(file);
    const std::vector<std::string> lines = lines_of(out);
    ASSERT_GT(lines.size(), 30u);
    for (std::size_t i = 0; i < lines.size(); ++i)
        expect_regenerated(lines[i], i + 1);
    // Records 3 .. size-2 hold the PSET: each but its last ends with a comma.
    for (std::size_t i = 3; i + 1 < lines.size(); ++i) {
        const std::string data = lines[i].substr(0, 72);
        EXPECT_EQ(data[data.find_last_not_of(' ')] == ',', i + 2 < lines.size()) << data;
    }
    const auto again = read(out);
    EXPECT_TRUE(again->warnings().empty());
    EXPECT_EQ(vda_first_difference(file, *again), "");
}

TEST(ChangedWrite, NullElementsAreLeftOutOfTheCount)
{
    const auto file = read(h + "P = POINT / 1., 2., 3.\nG = GROUP / 3, P, GONE, P\n" + e);
    const_cast<vdaGroup&>(entity<vdaGroup>(*file, "G")).set_element(2, vdaObjectPtr());
    EXPECT_EQ(records_of(written(*file))[2], "G        = GROUP / 1, P");
}

// --- sets

// A set written afresh lists its members and leaves what it no longer holds after it. A set kept in place
// cannot stand inside one written afresh: it is written afresh with its holder. And a changed set inside an
// unchanged one takes its holder along: what it no longer holds would otherwise stay inside the holder's
// records and read back as the holder's member.
TEST(SetWrite, AChangedSetListsItsMembersAndLeavesTheOthersAfterIt)
{
    const Names nested{"H = HEADER / 0",    "A        = BEGINSET", "B        = BEGINSET",    "P = POINT / 1., 2., 3.",
                       "B        = ENDSET", "A        = ENDSET",   "Q = POINT / 4., 5., 6.", "H = END"};
    struct Case {
        std::string text;
        const char* set;
        int dropped;
        const char* added;
        Names records;
    };
    const Case cases[] = {
        {"A = BEGINSET\nP = POINT / 1., 2., 3.\nQ = POINT / 4., 5., 6.\nA = ENDSET\nR = POINT / 7., 8., 9.\n",
         "A",
         0,
         "R",
         {"H = HEADER / 0", "A        = BEGINSET", "Q = POINT / 4., 5., 6.", "R = POINT / 7., 8., 9.",
          "A        = ENDSET", "P = POINT / 1., 2., 3.", "H = END"}},
        {"A = BEGINSET\nB = BEGINSET\nP = POINT / 1., 2., 3.\nB = ENDSET\nQ = POINT / 4., 5., 6.\nA = ENDSET\n", "A", 1,
         nullptr, nested},
        {"A = BEGINSET\nB = BEGINSET\nP = POINT / 1., 2., 3.\nQ = POINT / 4., 5., 6.\nB = ENDSET\nA = ENDSET\n", "B", 1,
         nullptr, nested},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const auto file = read(h + c.text + e);
        auto& set = const_cast<vdaBeginSet&>(entity<vdaBeginSet>(*file, c.set));
        set.set_element(c.dropped, vdaObjectPtr());
        if (c.added)
            set.add_element(c.added);
        set.remove_null_elements();
        const std::string out = written(*file);
        EXPECT_EQ(records_of(out), c.records);
        EXPECT_EQ(vda_first_difference(*file, *read(out), vdaEntityOrder::may_differ), "");
    }
}

// A repaired set can no longer hold an entity that stands between its members: the entity reads back
// behind ENDSET. The model is the same up to that order, and a comparison that pairs entities by name
// still sees every real change.
TEST(SetWrite, AnEntityLeftBetweenMembersReadsBackBehindTheSet)
{
    const auto file = read(h + "P = POINT / 0., 0., 0.\n" +
                           "A = BEGINSET\nP = POINT / 1., 2., 3.\nQ = POINT / 4., 5., 6.\nA = ENDSET\n" + e);
    auto& set = const_cast<vdaBeginSet&>(entity<vdaBeginSet>(*file, "A"));
    set.set_element(0, vdaObjectPtr());  // the second P is no member any more, yet lives
    set.remove_null_elements();
    const auto again = read(written(*file));
    EXPECT_EQ(vda_first_difference(*file, *again), "entity 2 'A': member 0 position: 4 vs 3");
    EXPECT_EQ(vda_first_difference(*file, *again, vdaEntityOrder::may_differ), "");

    const_cast<vdaPoint&>(entity<vdaPoint>(*again, "Q")).set_point(giPoint3(4, 5, 7));
    EXPECT_EQ(vda_first_difference(*file, *again, vdaEntityOrder::may_differ), "entity 4 'Q': point z: 6 vs 7");
    auto& second = *std::next(again->begin(), 4);  // the second P, now last
    ASSERT_EQ(second.name().view(), "P");
    delete &second;
    EXPECT_EQ(vda_first_difference(*file, *again, vdaEntityOrder::may_differ),
              "entity 3 'P': no entity of that name left in the second model");
}

TEST(SetWrite, SetsThatHoldEachOtherAreWrittenOnceAndNested)
{
    vdaFile file;
    file.create<vdaHeader>("H");
    file.create<vdaBeginSet>("A", std::vector<utString>{"A", "B", "P"});
    file.create<vdaBeginSet>("B", std::vector<utString>{"A", "P", "Q"});
    file.create<vdaPoint>("P", giPoint3(1, 2, 3));
    file.create<vdaPoint>("Q", giPoint3(4, 5, 6));
    EXPECT_EQ(
        records_of(written(file)),
        (Names{"H        = HEADER / 0", "A        = BEGINSET", "B        = BEGINSET", "Q        = POINT / 4., 5., 6.",
               "B        = ENDSET", "P        = POINT / 1., 2., 3.", "A        = ENDSET", "H        = END"}));
}

// A set holds its members themselves, not their names: a member whose name an earlier entity (or the set
// itself) also has is written inside the set, and the model reads back with the same entities in the same
// order.
TEST(SetWrite, MembersWithNamesOthersShareStayMembers)
{
    const auto file = read(h +
                           "P = POINT / 1., 0., 0.\n"
                           "A = BEGINSET\nP = POINT / 2., 0., 0.\nA = POINT / 3., 0., 0.\nQ = POINT / 4., 0., 0.\n"
                           "A = ENDSET\n" +
                           e);
    auto& set = const_cast<vdaBeginSet&>(entity<vdaBeginSet>(*file, "A"));
    ASSERT_EQ(set.num_elements(), 3);
    EXPECT_EQ(set.element(0)->slot(), 3u);  // the second P (slot 3), not the first
    delete set.element(2)();                // Q goes: the set is written afresh
    set.remove_null_elements();
    change_all(*file);
    EXPECT_EQ(records_of(written(*file)), (Names{"H        = HEADER / 0", "P        = POINT / 1., 0., 0.",
                                                 "A        = BEGINSET", "P        = POINT / 2., 0., 0.",
                                                 "A        = POINT / 3., 0., 0.", "A        = ENDSET", "H = END"}));
    EXPECT_EQ(vda_first_difference(*file, *read(written(*file))), "");
}

// --- what VDA-FS cannot express: vdaWriteError before anything is written

struct Unwritable {
    bool header;  // the model starts with a HEADER 'H' before what build adds
    void (*build)(vdaFile&);
    const char* fragment;
};

TEST(Writer, WhatVdaFsCannotExpressThrowsNamingTheEntityAndWritesNothing)
{
    const Unwritable cases[] = {
        {false, [](vdaFile& f) { f.create<vdaPoint>("P", giPoint3()); }, "without a HEADER"},
        {true, [](vdaFile& f) { f.create<vdaHeader>("H2"); }, "HEADER 'H2': a VDA-FS file has one HEADER"},
        {false, [](vdaFile& f) { f.create<vdaHeader>("H", std::vector<std::string>{std::string(73, 'x')}); },
         "text line 1 is longer than 72 characters"},
        {true, [](vdaFile& f) { f.create<vdaPoint>("P", giPoint3(0, std::nan(""), 0)); },
         "POINT 'P' cannot be written: it holds a NaN or infinite value"},
        {true,
         [](vdaFile& f) {
             f.create<vdaCurve>("C", std::vector<vdaCurveSegment>{vdaCurveSegment(0, 1, {giPoint3()}),
                                                                  vdaCurveSegment(1.5, 2, {giPoint3()})});
         },
         "CURVE 'C' cannot be written: segment 2 does not start where segment 1 ends"},
        {true,
         [](vdaFile& f) {
             f.create<vdaSurf>(
                 "S", 1, 2,
                 std::vector<vdaSurfPatch>{vdaSurfPatch(0, 1, 0, 1, 0, 0, {}), vdaSurfPatch(0, 2, 1, 2, 0, 0, {})});
         },
         "SURF 'S' cannot be written: the parameters of patch (0, 1)"},
        {true, [](vdaFile& f) { f.create<vdaCons>("N", "", "C", 0.0, 1.0); },
         "CONS 'N' cannot be written: it has no surface"},
        {true, [](vdaFile& f) { f.create<vdaPoint>("P 1", giPoint3()); },
         "POINT 'P 1' cannot be written: its name is not a VDA-FS name"},
    };
    for (const Unwritable& c : cases) {
        SCOPED_TRACE(c.fragment);
        vdaFile file;
        if (c.header)
            file.create<vdaHeader>("H");
        c.build(file);
        std::ostringstream out;
        try {
            vdaWriter::write(file, out);
            ADD_FAILURE() << "written";
        } catch (const vdaWriteError& error) {
            EXPECT_NE(std::string(error.what()).find(c.fragment), std::string::npos) << error.what();
        }
        EXPECT_EQ(out.str(), "");
    }
}

// --- save

TEST(Save, ReplacesTheFileAndLeavesNothingBehindOnFailure)
{
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("vdacheck_save_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    const fs::path target = dir / "part.vda";
    const auto file = read(h + "P = POINT / 1., 2., 3.\n" + e);
    vdaWriter::save(*file, target);
    EXPECT_EQ(slurp(target.string()), h + "P = POINT / 1., 2., 3.\n" + e);

    file->create<vdaPoint>("BAD", giPoint3(INFINITY, 0, 0));
    EXPECT_THROW(vdaWriter::save(*file, target), vdaWriteError);
    EXPECT_EQ(slurp(target.string()), h + "P = POINT / 1., 2., 3.\n" + e);
    EXPECT_THROW(vdaWriter::save(*file, dir / "missing" / "part.vda"), vdaWriteError);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
    fs::remove_all(dir);
}

}  // namespace
