#include "check_support.h"

namespace {

const char* const point_msg = "Point entity has invalid point";
const char* const pset_msg = "Pset entity has invalid point";
const char* const mdi_point_msg = "Mdi entity has invalid point";
const char* const mdi_vector_msg = "Mdi entity has invalid vector";

vdaObject& invalid_point(vdaFile& file, const char* name)
{
    return file.create<vdaPoint>(name, giPoint3(-max_d, 0, 0));
}
vdaObject& valid_point(vdaFile& file, const char* name) { return file.create<vdaPoint>(name, giPoint3(1, 2, 3)); }

}  // namespace

// Only +max in any coordinate, or -max in x, marks an invalid point; NaN passes.
TEST(PointChecks, PacketsPerEntity)
{
    using P3 = std::vector<giPoint3>;
    using V3 = std::vector<giVector3>;
    run_cases({
        {"header", [](Model& m) { m.add<vdaHeader>("E", std::vector<std::string>{"x"}); }, {}},
        {"valid point", [](Model& m) { m.add<vdaPoint>("E", giPoint3(1, 2, 3)); }, {}},
        {"point x minus max", [](Model& m) { m.add<vdaPoint>("E", giPoint3(-max_d, 0, 0)); }, {{point_msg}}},
        {"point z plus max", [](Model& m) { m.add<vdaPoint>("E", giPoint3(0, 0, max_d)); }, {{point_msg}}},
        {"point z minus max", [](Model& m) { m.add<vdaPoint>("E", giPoint3(0, 0, -max_d)); }, {}},
        {"point NaN", [](Model& m) { m.add<vdaPoint>("E", giPoint3(nan_d, nan_d, nan_d)); }, {}},
        {"empty pset", [](Model& m) { m.add<vdaPset>("E", P3{}); }, {}},
        {"pset points 0 and 2 invalid",
         [](Model& m) {
             m.add<vdaPset>("E", P3{giPoint3(-max_d, 0, 0), giPoint3(0, -max_d, 0), giPoint3(0, max_d, 0)});
         },
         {{pset_msg, {0}}, {pset_msg, {2}}}},
        {"empty mdi", [](Model& m) { m.add<vdaMDI>("E", P3{}, V3{}); }, {}},
        {"mdi points before vectors",
         [](Model& m) {
             m.add<vdaMDI>("E", P3{giPoint3(), giPoint3(max_d, 0, 0), giPoint3()},
                           V3{giVector3(), giVector3(-max_d, 0, 0), giVector3(-max_d, 1, 1)});
         },
         {{mdi_point_msg, {1}}, {mdi_vector_msg, {1}}, {mdi_vector_msg, {2}}}},
        {"mdi sentinels outside x of a vector",
         [](Model& m) { m.add<vdaMDI>("E", P3{giPoint3(0, -max_d, -max_d)}, V3{giVector3(max_d, -max_d, -max_d)}); },
         {}},
    });
}

TEST(PointChecks, ACheckClassRunsOnItsOwnLog)
{
    Model m;
    auto& pset = m.add<vdaPset>("PS", std::vector<giPoint3>{giPoint3(), giPoint3(0, 0, max_d)});
    vdcLog log;
    vdcPsetCheck(pset).check(log, m.checker);
    EXPECT_EQ(log.num_logged("PS"), 1);
    EXPECT_EQ(log.packet("PS").get_int(0), 1);
    EXPECT_EQ(m.error_log().empty(), 1);
}

TEST(vdcFileCheck, EmptyFilePasses)
{
    vdaFile file;
    CheckerProbe checker;
    const vdcFileCheckAcc access(&checker);
    access.fixed_log().save("OLD", vdcErrorPacket());
    EXPECT_EQ(checker.check(file), 1);
    EXPECT_EQ(access.error_log().empty(), 1);
    EXPECT_EQ(access.fixed_log().empty(), 1);
    EXPECT_EQ(checker.reset_flag(), 1);
    EXPECT_TRUE(checker.idle());
}

TEST(vdcFileCheck, ChecksEachEntityOnceBetweenResets)
{
    vdaFile file;
    invalid_point(file, "P1");
    valid_point(file, "P2");
    vdaObject& p3 = invalid_point(file, "P3");
    CheckerProbe checker;
    vdcFileCheckAcc access(&checker);
    vdcLog& log = access.error_log();

    EXPECT_EQ(checker.check(file), 0);
    EXPECT_EQ(log.num_logged("P1"), 1);
    EXPECT_EQ(log.num_logged("P3"), 1);
    EXPECT_EQ(checker.check(file), 0);
    EXPECT_EQ(log.num_logged("P1"), 1) << "a resetting call must not add to the old packets";

    // Without resets nothing is checked again, from the walk or directly; the flag comes back as 1.
    access.reset_logs(0);
    EXPECT_EQ(checker.check(file), 0);
    EXPECT_EQ(checker.reset_flag(), 1);
    access.reset_logs(0);
    EXPECT_EQ(checker.check(vdaObjectPtr(&p3)), 0);
    EXPECT_EQ(checker.check_from("SOMEONE", vdaObjectPtr(&p3)), 0);
    EXPECT_EQ(log.num_logged("P1"), 1);
    EXPECT_EQ(log.num_logged("P3"), 1);

    // With the flag set an outermost call starts afresh.
    access.reset_logs(1);
    EXPECT_EQ(checker.check(vdaObjectPtr(&p3)), 0);
    EXPECT_EQ(log.num_logged("P1"), 0);
    EXPECT_EQ(log.num_logged("P3"), 1);
    // A nested call never resets, even with the flag set.
    EXPECT_EQ(checker.check_from("R", vdaObjectPtr(file.find("P1"))), 0);
    EXPECT_EQ(log.num_logged("P1"), 1);
    EXPECT_EQ(log.num_logged("P3"), 1);
    EXPECT_TRUE(checker.idle());
}

TEST(vdcFileCheck, ResetFlagOffKeepsEarlierCalls)
{
    vdaFile file;
    vdaObject& p1 = invalid_point(file, "P1");
    vdaObject& p2 = invalid_point(file, "P2");
    vdaObject& p3 = valid_point(file, "P3");
    CheckerProbe checker;
    vdcFileCheckAcc access(&checker);

    access.reset_logs(0);
    access.fixed_log().save("P9", vdcErrorPacket());
    EXPECT_EQ(checker.check(vdaObjectPtr(&p1)), 0);
    EXPECT_EQ(checker.check(vdaObjectPtr(&p2)), 0);
    EXPECT_EQ(checker.check(vdaObjectPtr(&p3)), 1);
    EXPECT_EQ(access.error_log().num_logged("P1"), 1);
    EXPECT_EQ(access.error_log().num_logged("P2"), 1);
    EXPECT_EQ(access.fixed_log().num_logged("P9"), 1);

    // The result is what stands under the name, whoever logged it.
    access.error_log().save("P3", vdcErrorPacket());
    EXPECT_EQ(checker.check(vdaObjectPtr(&p3)), 0);

    access.reset_logs(1);
    EXPECT_EQ(checker.check(vdaObjectPtr(&p3)), 1);
    EXPECT_EQ(access.error_log().empty(), 1);
    EXPECT_EQ(access.fixed_log().empty(), 1);
}

TEST(vdcFileCheck, OnlyTheFirstEntityOfANameIsChecked)
{
    struct Case {
        bool first_valid;
        bool second_valid;
        int result;
        int logged;
    };
    const Case cases[] = {{true, false, 1, 0}, {false, true, 0, 1}, {false, false, 0, 1}};
    for (const Case& c : cases) {
        vdaFile file;
        if (c.first_valid)
            valid_point(file, "P");
        else
            invalid_point(file, "P");
        vdaObject& second = c.second_valid ? valid_point(file, "P") : invalid_point(file, "P");
        CheckerProbe checker;
        vdcFileCheckAcc access(&checker);
        EXPECT_EQ(checker.check(file), c.result);
        EXPECT_EQ(access.error_log().num_logged("P"), c.logged);
        // The second is taken for the first: its result is the first one's.
        access.reset_logs(0);
        EXPECT_EQ(checker.check(vdaObjectPtr(&second)), c.result);
        EXPECT_EQ(access.error_log().num_logged("P"), c.logged);
    }
}

TEST(vdcFileCheck, FaultyEntitiesGetFixNodes)
{
    vdaFile file;
    invalid_point(file, "P1");
    vdaObject& p2 = invalid_point(file, "P2");
    vdaObject& p3 = valid_point(file, "P3");
    CheckerProbe checker;

    EXPECT_EQ(checker.check(file), 0);
    EXPECT_EQ(checker.num_nodes(), 2);
    ASSERT_NE(checker.node("P1"), nullptr);
    EXPECT_EQ(checker.node("P1")->num_children(), 0);
    EXPECT_EQ(checker.node("P1")->is_used(), 0);
    EXPECT_EQ(checker.node("P3"), nullptr);

    // Reached from R twice: checked once, but each reference adds its edge. R gets a node of its own
    // although nothing is logged under it.
    vdcFileCheckAcc(&checker).reset_logs(0);
    checker.check_from("R", vdaObjectPtr(&p2));
    checker.check_from("R", vdaObjectPtr(&p2));
    checker.check_from("R", vdaObjectPtr(&p3));
    ASSERT_NE(checker.node("R"), nullptr);
    EXPECT_EQ(checker.node("R")->num_children(), 2);
    EXPECT_EQ(checker.node("R")->child(0), checker.node("P2"));
    EXPECT_EQ(checker.node("R")->child(1), checker.node("P2"));
    EXPECT_EQ(checker.node("P2")->is_used(), 1);
    EXPECT_EQ(checker.roots(), (std::vector<std::string>{"P1", "R"}));

    // Resets leave the graph alone.
    vdcFileCheckAcc(&checker).reset_logs(1);
    EXPECT_EQ(checker.check(file), 0);
    EXPECT_EQ(checker.num_nodes(), 3);
    EXPECT_EQ(checker.node("R")->num_children(), 2);
    EXPECT_TRUE(checker.idle());
}
