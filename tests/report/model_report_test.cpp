// The report of a whole model: which entities it draws as faulty or as referring to faulty ones, and its
// quality findings as rows. (The browser tests compare its pages with the tool's check reports row by row.)

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <vdacheck/io/vda_reader.h>
#include <vdacheck/model/vda_file.h>
#include <vdacheck/report/vdc_model_report.h>

namespace {

const std::filesystem::path source_dir = VDACHECK_SOURCE_DIR;

std::vector<std::string> sorted(std::vector<std::string> names)
{
    std::sort(names.begin(), names.end());
    return names;
}

vdcModelReport report_of(const std::string& path, bool quality)
{
    const auto file = vdaReader::load(source_dir / path);
    vdcModelReportOptions options;
    options.quality = quality;
    options.threads = 1;
    return vdcModelReport(*file, options);
}

// An entity whose every packet is a reference to a faulty entity refers to faulty ones; one packet of its
// own, or a quality finding, makes it faulty.
TEST(ModelReport, FaultyAndReferringEntities)
{
    struct Case {
        const char* file;
        bool quality;
        std::vector<std::string> faulty;
        std::vector<std::string> referring;
        std::size_t errors;
        std::size_t findings;
    };
    const Case cases[] = {
        // F2 refers to a faulty cons and has faulty trims of its own; F1 and T1 only refer.
        {"examples/bracket.vda",
         false,
         {"B3", "CI1", "CI3", "F2", "FC2", "PT2"},
         {"F1", "FL2", "G1", "T1", "TL1"},
         18,
         0},
        {"tests/data/quality_gaps.vda", false, {}, {}, 0, 0},
        {"tests/data/quality_gaps.vda", true, {"F1", "PLATE"}, {}, 0, 2},
        {"tests/data/samples/OpenVDAFS__FC267.vda", true, {}, {}, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.file) + (c.quality ? " --quality" : ""));
        const vdcModelReport report = report_of(c.file, c.quality);
        EXPECT_EQ(sorted(report.report().faulty), c.faulty);
        EXPECT_EQ(sorted(report.report().referring), c.referring);
        EXPECT_EQ(report.errors(), c.errors);
        EXPECT_EQ(report.findings(), c.findings);
        EXPECT_EQ(report.report().problems.size(), c.errors + c.findings);
        EXPECT_EQ(report.clean(), c.errors + c.findings == 0);
    }
}

// Findings follow the packets, with their measured value, tolerance, unit and place.
TEST(ModelReport, FindingsAreRowsWithTheirPlace)
{
    const vdcModelReport report = report_of("tests/data/quality_gaps.vda", true);
    const std::vector<vdcReportProblem>& rows = report.report().problems;
    ASSERT_EQ(rows.size(), 2u);
    const vdcReportProblem& seam = rows[0];
    EXPECT_EQ(seam.kind, vdcReportProblem::Kind::quality);
    EXPECT_EQ(seam.rule, "surf-patch-gap");
    EXPECT_EQ(seam.entity, "PLATE");
    EXPECT_EQ(seam.line, 4);
    EXPECT_NEAR(*seam.value, 0.05, 1e-9);
    EXPECT_EQ(*seam.tolerance, 0.02);
    EXPECT_EQ(seam.unit, "mm");
    ASSERT_TRUE(seam.point);
    EXPECT_NEAR((*seam.point)[0], 50.0, 1e-9);  // on the seam between the patches
    EXPECT_EQ(rows[1].rule, "face-loop-gap");
    EXPECT_NEAR(*rows[1].value, 0.6, 1e-9);  // 1% of the panel's 60 mm
}

}  // namespace
