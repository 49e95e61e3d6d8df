#include "check_support.h"

namespace {

const giPoint3 bad_point(-max_d, 0, 0);

vdaObject& point(Model& m, const char* name, bool valid = false)
{
    return m.add<vdaPoint>(name, valid ? giPoint3(1, 2, 3) : bad_point);
}

}  // namespace

// Which coordinates mark a point invalid is the point's own rule; these rows show what each check logs.
TEST(PointChecks, PacketsPerEntity)
{
    using P3 = std::vector<giPoint3>;
    using V3 = std::vector<giVector3>;
    const char* mdi_vector = "Mdi entity has invalid vector";
    run_cases({
        {"header", [](Model& m) { m.add<vdaHeader>("E", std::vector<std::string>{"x"}); }, {}},
        {"invalid point", [](Model& m) { m.add<vdaPoint>("E", bad_point); }, {{"Point entity has invalid point"}}},
        {"pset points 0 and 2 invalid",
         [](Model& m) {
             m.add<vdaPset>("E", P3{bad_point, giPoint3(), giPoint3(0, max_d, 0)});
         },
         {{"Pset entity has invalid point", {0}}, {"Pset entity has invalid point", {2}}}},
        {"mdi points before vectors",
         [](Model& m) {
             m.add<vdaMDI>("E", P3{giPoint3(), giPoint3(max_d, 0, 0), giPoint3()},
                           V3{giVector3(), giVector3(-max_d, 0, 0), giVector3(-max_d, 1, 1)});
         },
         {{"Mdi entity has invalid point", {1}}, {mdi_vector, {1}}, {mdi_vector, {2}}}},
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

TEST(vdcFileCheck, ChecksEachEntityOnceBetweenResets)
{
    Model m;
    point(m, "P1");
    vdaObject& p2 = point(m, "P2", true);
    vdaObject& p3 = point(m, "P3");
    CheckerProbe& checker = m.checker;
    vdcLog& log = m.error_log();
    vdcFileCheckAcc access(&checker);
    auto logged = [&] { return std::pair(log.num_logged("P1"), log.num_logged("P3")); };

    m.fixed_log().save("OLD", vdcErrorPacket());
    EXPECT_EQ(checker.check(m.file), 0);
    EXPECT_TRUE(m.fixed_log().empty());
    EXPECT_EQ(logged(), std::pair(1, 1));
    EXPECT_EQ(checker.check(m.file), 0);
    EXPECT_EQ(logged(), std::pair(1, 1)) << "a resetting call must not add to the old packets";

    // Without resets both logs are kept and nothing is checked again, from the walk or directly; the walk
    // turns the flag back on.
    access.reset_logs(0);
    m.fixed_log().save("P9", vdcErrorPacket());
    EXPECT_EQ(checker.check(m.file), 0);
    EXPECT_EQ(checker.reset_flag(), 1);
    access.reset_logs(0);
    EXPECT_EQ(checker.check(vdaObjectPtr(&p3)), 0);
    EXPECT_EQ(checker.check_from("SOMEONE", vdaObjectPtr(&p3)), 0);
    EXPECT_EQ(logged(), std::pair(1, 1));
    EXPECT_EQ(m.fixed_log().num_logged("P9"), 1);
    // The result is what stands under the name, whoever logged it.
    log.save("P2", vdcErrorPacket());
    EXPECT_EQ(checker.check(vdaObjectPtr(&p2)), 0);

    // With the flag set an outermost call starts afresh.
    access.reset_logs(1);
    EXPECT_EQ(checker.check(vdaObjectPtr(&p3)), 0);
    EXPECT_EQ(logged(), std::pair(0, 1));
    EXPECT_TRUE(m.fixed_log().empty());
    // A nested call never resets, even with the flag set.
    EXPECT_EQ(checker.check_from("R", vdaObjectPtr(m.file.find("P1"))), 0);
    EXPECT_EQ(logged(), std::pair(1, 1));
    EXPECT_TRUE(checker.idle());
}

TEST(vdcFileCheck, OnlyTheFirstEntityOfANameIsChecked)
{
    const struct {
        bool first_valid, second_valid;
        int result, logged;
    } cases[] = {{true, false, 1, 0}, {false, true, 0, 1}, {false, false, 0, 1}};
    for (const auto& c : cases) {
        Model m;
        point(m, "P", c.first_valid);
        vdaObject& second = point(m, "P", c.second_valid);
        EXPECT_EQ(m.checker.check(m.file), c.result);
        EXPECT_EQ(m.error_log().num_logged("P"), c.logged);
        // The second is taken for the first: its result is the first one's.
        vdcFileCheckAcc(&m.checker).reset_logs(0);
        EXPECT_EQ(m.checker.check(vdaObjectPtr(&second)), c.result);
        EXPECT_EQ(m.error_log().num_logged("P"), c.logged);
    }
}

TEST(vdcFileCheck, FaultyEntitiesGetFixNodes)
{
    Model m;
    point(m, "P1");
    vdaObject& p2 = point(m, "P2");
    vdaObject& p3 = point(m, "P3", true);
    CheckerProbe& checker = m.checker;

    EXPECT_EQ(checker.check(m.file), 0);
    EXPECT_EQ(checker.num_nodes(), 2);
    ASSERT_NE(checker.node("P1"), nullptr);
    EXPECT_EQ(checker.node("P1")->num_children(), 0);
    EXPECT_EQ(checker.node("P3"), nullptr);

    // Reached from R twice: checked once, but each reference adds its edge. R gets a node of its own
    // although nothing is logged under it.
    vdcFileCheckAcc(&checker).reset_logs(0);
    checker.check_from("R", vdaObjectPtr(&p2));
    checker.check_from("R", vdaObjectPtr(&p2));
    checker.check_from("R", vdaObjectPtr(&p3));
    ASSERT_NE(checker.node("R"), nullptr);
    EXPECT_EQ(checker.node("R")->num_children(), 2);
    EXPECT_EQ((std::vector{checker.node("R")->child(0), checker.node("R")->child(1)}),
              (std::vector{checker.node("P2"), checker.node("P2")}));
    EXPECT_EQ(checker.roots(), (std::vector<std::string>{"P1", "R"}));  // P2 is used, P1 is not

    // Resets leave the graph alone.
    vdcFileCheckAcc(&checker).reset_logs(1);
    EXPECT_EQ(checker.check(m.file), 0);
    EXPECT_EQ(checker.num_nodes(), 3);
    EXPECT_EQ(checker.node("R")->num_children(), 2);
    EXPECT_TRUE(checker.idle());
}
