#include <bit>
#include <cstring>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <vdacheck/report/vdc_report_writer.h>
#include <vdacheck/rules/vdc_rules.h>

namespace {

using Shape = vdaDrawing::Shape;

std::string page_of(const vdaScene& scene, const vdcReport& report)
{
    std::ostringstream out;
    vdcReportWriter(scene, report).write(out);
    return out.str();
}

// The text of the page's element with id `id`.
std::string element(const std::string& page, const std::string& id)
{
    const std::string open = "id=\"" + id + "\">";
    const std::size_t from = page.find(open);
    if (from == std::string::npos)
        return "(no element " + id + ")";
    const std::size_t begin = from + open.size();
    return page.substr(begin, page.find("</script>", begin) - begin);
}

std::string decode_base64(const std::string& text)
{
    static const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string bytes;
    unsigned bits = 0;
    int held = 0;
    for (const char c : text) {
        if (c == '=')
            break;
        bits = (bits << 6) | static_cast<unsigned>(alphabet.find(c));
        held += 6;
        if (held >= 8) {
            held -= 8;
            bytes += static_cast<char>((bits >> held) & 0xFFu);
        }
    }
    return bytes;
}

template <class T>
void append(std::string& bytes, std::initializer_list<T> values)
{
    for (const T v : values) {
        char b[sizeof(T)];
        std::memcpy(b, &v, sizeof(T));
        bytes.append(b, sizeof(T));  // the machines we test on are little-endian, like the format
    }
}

bool valid_utf8(const std::string& text)
{
    for (std::size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        const std::size_t n = b < 0x80                 ? 1
                              : b >= 0xC2 && b <= 0xDF ? 2
                              : b >= 0xE0 && b <= 0xEF ? 3
                              : b >= 0xF0 && b <= 0xF4 ? 4
                                                       : 0;
        if (n == 0 || i + n > text.size())
            return false;
        for (std::size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0u) != 0x80u)
                return false;
        i += n;
    }
    return true;
}

vdaDrawing drawing(const char* entity, const char* type, Shape shape, std::vector<float> positions)
{
    vdaDrawing d;
    d.entity = entity;
    d.type = type;
    d.shape = shape;
    d.positions = std::move(positions);
    return d;
}

vdaDrawing triangle(const char* entity)
{
    vdaDrawing d = drawing(entity, "SURF", Shape::triangles, {0, 0, 0, 1, 0, 0, 0, 1, 0});
    d.indices = {0, 1, 2};
    return d;
}

// Every text the writer is given, set to something that must neither end a <script> element nor make the
// page invalid UTF-8.
TEST(ReportWriter, NoTextEndsAScriptElementOrBreaksUtf8)
{
    const std::string hostile = "</script><script>x()</script><!--\xFF\xC0</SCRIPT>";
    vdaScene scene;
    scene.drawings.push_back(triangle("S1"));
    scene.drawings.back().transform = hostile;
    scene.drawings.push_back(triangle(hostile.c_str()));
    scene.drawings.back().type = hostile;
    vdcReport report;
    report.file = report.command = report.version = hostile;
    report.entity_counts = {{hostile, 1}};
    vdcProblem p;
    p.rule = vdc_find_rule("read-tab");
    p.line = 1;
    p.column = 2;
    p.message = utString(hostile);
    report.warnings = {p};
    p.rule = nullptr;  // a packet no check logs
    p.entity = utString(hostile);
    p.type = p.repair = hostile;
    report.problems = {p};
    report.faulty = report.referring = {hostile};

    const std::string page = page_of(scene, report);
    std::size_t closes = 0;
    std::string lower = page;
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (std::size_t at = lower.find("</script"); at != std::string::npos; at = lower.find("</script", at + 1))
        ++closes;
    EXPECT_EQ(closes, 4u) << "the page has four script elements of its own";
    EXPECT_EQ(lower.find("<!--"), std::string::npos);
    EXPECT_TRUE(valid_utf8(page));
    EXPECT_NE(element(page, "vdc-data").find("\\u003c/script>\\u003cscript>x()"), std::string::npos);
}

// One drawing of each shape: the binary block holds them exactly as the data block places them.
TEST(ReportWriter, DrawingsTravelInTheDocumentedBinaryLayout)
{
    vdaScene scene;
    scene.drawings.push_back(triangle("S1"));
    vdaDrawing lines = drawing("C1", "CURVE", Shape::lines, {0, 0, 0, 1, 0, 0, 2, 0, 0, 3, 0, 0});
    lines.runs = {0, 2};
    scene.drawings.push_back(lines);
    scene.drawings.push_back(drawing("C2", "CURVE", Shape::lines, {5, 5, 5, 6, 6, 6}));  // no runs: one polyline
    vdaDrawing mdi = drawing("M1", "MDI", Shape::points, {7, 8, 9});
    mdi.vectors = {0, 0, 1};
    scene.drawings.push_back(mdi);
    scene.drawings.push_back(drawing("P1", "MDI", Shape::points, {1, 2, 3}));  // a point without a vector

    const std::string page = page_of(scene, vdcReport{});
    std::string expected;
    append<float>(expected, {0, 0, 0, 1, 0, 0, 0, 1, 0});                             // SURF: positions
    append<std::uint16_t>(expected, {0, 1, 2, 0});                                    // indices, padded to 4 bytes
    append<float>(expected, {0, 0, 0, 1, 0, 0, 2, 0, 0, 3, 0, 0, 5, 5, 5, 6, 6, 6});  // CURVE: positions
    append<std::uint32_t>(expected, {0, 2, 0});                                       // polyline starts per drawing
    append<float>(expected, {7, 8, 9, 1, 2, 3});                                      // MDI: positions
    append<float>(expected, {0, 0, 1, 0, 0, 0});  // vectors, zero where a point has none
    EXPECT_EQ(decode_base64(element(page, "vdc-mesh")), expected);

    const std::string data = element(page, "vdc-data");
    for (
        const char* part :
        {R"("groups":[{"type":0,"shape":"triangles","vertices":3,"elements":3,"indexBytes":2,"vectors":false,"offset":0},)",
         R"({"type":1,"shape":"lines","vertices":6,"elements":3,"indexBytes":2,"vectors":false,"offset":44},)",
         R"({"type":2,"shape":"points","vertices":2,"elements":0,"indexBytes":2,"vectors":true,"offset":128}])",
         R"("drawings":{"entity":[0,1,2,3,4],"group":[0,1,1,2,2],"vertices":[3,4,2,1,1],"elements":[3,2,1,0,0]})",
         R"("meshBytes":176)", R"("bbox":[0,0,0,7,8,9])", R"("triangles":1,)"})
        EXPECT_NE(data.find(part), std::string::npos) << part << "\nin " << data;
}

TEST(ReportWriter, IndicesWidenWhenADrawingPassesUint16)
{
    vdaDrawing big = drawing("S1", "SURF", Shape::triangles, std::vector<float>(3 * 65537, 0.0f));
    big.indices = {0, 1, 65536};
    vdaScene scene;
    scene.drawings.push_back(big);
    const std::string page = page_of(scene, vdcReport{});
    EXPECT_NE(element(page, "vdc-data").find(R"("indexBytes":4)"), std::string::npos);
    const std::string bytes = decode_base64(element(page, "vdc-mesh"));
    ASSERT_EQ(bytes.size(), 12u * 65537 + 12);
    std::uint32_t last = 0;
    std::memcpy(&last, bytes.data() + bytes.size() - 4, 4);
    EXPECT_EQ(last, 65536u);
}

// A drawing that does not hold together stays out of the binary block and is named with its reason.
TEST(ReportWriter, DrawingsThatDoNotHoldTogetherAreLeftOutWithTheReason)
{
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        vdaDrawing drawing;
        const char* reason;
    };
    std::vector<Case> cases;
    cases.push_back({triangle("A"), "index 3 is past the 3 vertices"});
    cases.back().drawing.indices[1] = 3;
    cases.push_back({triangle("B"), "indices are not whole triangles"});
    cases.back().drawing.indices.pop_back();
    cases.push_back({drawing("C", "CURVE", Shape::lines, {0, 0, 0, 1}), "positions are not whole x, y, z triples"});
    cases.push_back({drawing("D", "CURVE", Shape::lines, {0, 0, 0, inf, 0, 0}), "a coordinate is not finite"});
    cases.push_back({drawing("E", "CURVE", Shape::lines, {0, 0, 0, 1, 0, 0}),
                     "polyline starts are not ascending within the 2 vertices"});
    cases.back().drawing.runs = {1, 1};
    cases.push_back({drawing("F", "CURVE", Shape::lines, {0, 0, 0, 1, 0, 0}),
                     "polyline starts are not ascending within the 2 vertices"});
    cases.back().drawing.runs = {0, 2};
    cases.push_back({drawing("G", "MDI", Shape::points, {0, 0, 0, 1, 0, 0}), "not one vector per point"});
    cases.back().drawing.vectors = {0, 0, 1};
    cases.push_back({drawing("H", "MDI", Shape::points, {0, 0, 0}), "a vector is not finite"});
    cases.back().drawing.vectors = {0, inf, 1};

    for (const Case& c : cases) {
        vdaScene scene;
        scene.drawings.push_back(triangle("OK"));
        scene.drawings.push_back(c.drawing);
        const std::string page = page_of(scene, vdcReport{});
        const std::string data = element(page, "vdc-data");
        EXPECT_NE(data.find(std::string(R"("skipped":[{"entity":1,"reason":")") + c.reason + "\"}]"), std::string::npos)
            << c.drawing.entity << ": " << data;
        EXPECT_NE(data.find(R"("drawings":{"entity":[0],)"), std::string::npos) << c.drawing.entity;
        EXPECT_EQ(decode_base64(element(page, "vdc-mesh")).size(), 9u * 4 + 8) << c.drawing.entity;
    }
}

TEST(ReportWriter, FaultyOutranksReferringAndUndrawnEntitiesAreListed)
{
    vdaScene scene;
    scene.drawings.push_back(triangle("S1"));
    scene.drawings.push_back(triangle("S2"));
    vdcReport report;
    vdcProblem p;
    p.entity = utString("G1");
    p.type = "GROUP";
    p.line = 9;
    report.problems = {p};
    report.faulty = {"S2", "T1"};
    report.referring = {"S2", "G1"};
    const std::string data = element(page_of(scene, report), "vdc-data");
    EXPECT_NE(
        data.find(R"("entities":{"name":["S1","S2","G1","T1"],"type":[0,0,1,-1],"line":[0,0,9,0],"status":[0,1,2,1]})"),
        std::string::npos)
        << data;
}

}  // namespace
