#include "check_support.h"

namespace {

giXform3 scaled(double s) { return giXform3({s, 0, 0, 0, s, 0, 0, 0, s}, {0, 0, 0}); }

const Packet not_invertible{"Tmat entity has tmat which is not invertible"};
const Packet not_rigid{"Tmat entity has tmat which is not rigid"};

// A list "E" over tmat `tmat` and the given elements, in a model that offers a clean tmat "TM", a
// singular tmat "SING", a faulty surface "BADSF", a clean group "GR" and a clean curve "CV".
std::function<void(Model&)> tlist(const char* tmat, std::vector<utString> elements)
{
    return [=](Model& m) {
        m.add<vdaTmat>("TM", scaled(1));
        m.add<vdaTmat>("SING", scaled(0));
        m.add<vdaSurf>("BADSF", 0, 0, std::vector<vdaSurfPatch>{});
        m.add<vdaGroup>("GR");
        m.curve("CV");
        m.add<vdaTlist>("E", tmat, elements);
    };
}

}  // namespace

TEST(TmatCheck, MatrixMustBeInvertibleAndRigid)
{
    const struct {
        double scale;
        Packets expected;
    } cases[] = {{1.0, {}},
                 {1.000005, {}},
                 {1.00002, {not_rigid}},
                 {0.000005, {not_invertible, not_rigid}},
                 {0.0, {not_invertible, not_rigid}},
                 {-1.0, {not_rigid}},
                 {nan_d, {}}};
    for (const auto& c : cases) {
        Model m;
        m.add<vdaTmat>("E", scaled(c.scale));
        EXPECT_EQ(m.check("E"), c.expected) << "scale " << c.scale;
    }
}

TEST(TlistCheck, LogsEachFaultWithItsIndexInSubCheckOrder)
{
    const char* faulty = "Tlist entity has pointer to invalid entity";
    run_cases({
        {"clean", tlist("TM", {"CV", "GR"}), {}},
        {"no elements, null tmat", tlist("NONE", {}), {{"Tlist entity has null tmat pointer"}}},
        {"singular tmat; a faulty surface, a null and a faulty element of a wrong type",
         tlist("SING", {"BADSF", "NONE", "SING"}),
         {Packet("Tlist entity has pointer to invalid tmat", {}, {}, fix_tlist_tmat_ptr),
          Packet("Tlist entity has null pointer", {1}, {}, fix_tlist_null_entity_ptr),
          Packet("Tlist entity has pointer to invalid entity type", {2}, {}, fix_tlist_ptr_type),
          Packet(faulty, {0}, {}, fix_tlist_entity_ptr), Packet(faulty, {2}, {}, fix_tlist_entity_ptr)}},
    });
}

TEST(TlistCheck, TmatReferenceOfAWrongTypeIsNotFollowed)
{
    Model m;
    tlist("BADSF", {})(m);
    EXPECT_EQ(m.check("E"), Packets{{"Tlist entity has tmat pointer to invalid type"}});
    EXPECT_TRUE(m.logged("BADSF").empty());
}
