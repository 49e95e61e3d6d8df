// Valid models convert whole: random models of every degree and closed surfaces; nothing is left out, and
// OCCT's checker accepts every face and every shell the conversion makes.
#include <gtest/gtest.h>

#include <BRepCheck_Analyzer.hxx>

#include <vdacheck/exchange/vdc_export_plan.h>
#include <vdacheck/exchange/vdc_shape_builder.h>

#include "exchange_support.h"

namespace {

// Nothing of `file` is left out, and OCCT's checker accepts every face (at least `faces`) and every shell.
void converts_whole(const vdaFile& file, int faces, std::size_t shells)
{
    const vdcConvertOptions options;
    vdcExportPlan plan(file, options);
    vdcShapeBuilder shapes(plan);
    shapes.build();
    for (const vdcLeftOutEntity& e : plan.left_out())
        ADD_FAILURE() << e.entity << " left out: " << e.rule << ": " << e.reason << " " << e.value;
    int built = 0;
    for (const vdcExportPlan::Entry& e : plan.entries())
        if (e.entity && (e.role == vdcExportPlan::Role::face || e.role == vdcExportPlan::Role::untrimmed_face)) {
            EXPECT_TRUE(BRepCheck_Analyzer(shapes.shape(*e.entity)).IsValid()) << e.entity->name().c_str();
            ++built;
        }
    EXPECT_GE(built, faces);
    EXPECT_EQ(shapes.shells().size(), shells);
    for (const vdcShapeBuilder::Shell& shell : shapes.shells())
        EXPECT_TRUE(BRepCheck_Analyzer(shell.shape).IsValid()) << shell.top->name().c_str();
}

}  // namespace

TEST(ExchangeProperty, RandomValidModelsConvertWholeToValidFacesAndShells)
{
    for (std::uint64_t seed = 100; seed < 140; ++seed) {
        SCOPED_TRACE(seed);
        converts_whole(*vdatest_random_model(seed, 2), 4, 2);
    }
}

// A surface closed in u, whole and trimmed to a band whose boundary runs along the seam on both sides.
TEST(ExchangeProperty, ClosedSurfacesConvertToValidFaces) { converts_whole(*vdatest_cylinder_model(), 2, 0); }
