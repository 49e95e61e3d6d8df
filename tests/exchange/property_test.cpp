// Random valid models of every degree convert whole: nothing is left out, and OCCT's checker accepts every
// face and every shell the conversion makes.
#include <gtest/gtest.h>

#include <BRepCheck_Analyzer.hxx>

#include <vdacheck/exchange/vdc_export_plan.h>
#include <vdacheck/exchange/vdc_shape_builder.h>

#include "exchange_support.h"

TEST(ExchangeProperty, RandomValidModelsConvertWholeToValidFacesAndShells)
{
    for (std::uint64_t seed = 100; seed < 140; ++seed) {
        SCOPED_TRACE(seed);
        const std::unique_ptr<vdaFile> file = vdatest_random_model(seed, 2);
        const vdcConvertOptions options;
        vdcExportPlan plan(*file, options);
        vdcShapeBuilder shapes(plan);
        shapes.build();
        for (const vdcLeftOutEntity& e : plan.left_out())
            ADD_FAILURE() << e.entity << " left out: " << e.rule << ": " << e.reason << " " << e.value;
        int faces = 0;
        for (const vdcExportPlan::Entry& e : plan.entries())
            if (e.entity && (e.role == vdcExportPlan::Role::face || e.role == vdcExportPlan::Role::untrimmed_face)) {
                EXPECT_TRUE(BRepCheck_Analyzer(shapes.shape(*e.entity)).IsValid()) << e.entity->name().c_str();
                ++faces;
            }
        EXPECT_GE(faces, 4);
        EXPECT_EQ(shapes.shells().size(), 2u);
        for (const vdcShapeBuilder::Shell& shell : shapes.shells())
            EXPECT_TRUE(BRepCheck_Analyzer(shell.shape).IsValid()) << shell.top->name().c_str();
    }
}
