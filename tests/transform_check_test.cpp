#include "check_support.h"

namespace {

giXform3 scaled(double s)
{
    return giXform3({s, 0, 0, 0, s, 0, 0, 0, s}, {0, 0, 0});
}

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

Packet element(const char* message, int i, vdcErrorFunction f)
{
    return {message, {i}, {}, f};
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

TEST(TlistCheck, TmatReferenceAndElements)
{
    const char* null_element = "Tlist entity has null pointer";
    const char* wrong_type = "Tlist entity has pointer to invalid entity type";
    const char* faulty = "Tlist entity has pointer to invalid entity";
    run_cases({
        {"clean", tlist("TM", {"CV", "GR"}), {}},
        {"no elements, null tmat", tlist("NONE", {}), {{"Tlist entity has null tmat pointer"}}},
        {"tmat reference to a faulty surface: type packet only",
         tlist("BADSF", {}),
         {{"Tlist entity has tmat pointer to invalid type"}}},
        {"singular tmat",
         tlist("SING", {}),
         {{"Tlist entity has pointer to invalid tmat", {}, {}, fix_tlist_tmat_ptr}}},
        {"null elements 0 and 2",
         tlist("TM", {"NONE", "CV", ""}),
         {element(null_element, 0, fix_tlist_null_entity_ptr), element(null_element, 2, fix_tlist_null_entity_ptr)}},
        {"element 3 a tmat, element 1 a group",
         tlist("TM", {"CV", "GR", "CV", "TM"}),
         {element(wrong_type, 3, fix_tlist_ptr_type)}},
        {"a faulty element of a wrong type gets both packets",
         tlist("TM", {"BADSF", "SING"}),
         {element(wrong_type, 1, fix_tlist_ptr_type), element(faulty, 0, fix_tlist_entity_ptr),
          element(faulty, 1, fix_tlist_entity_ptr)}},
    });
}

TEST(TlistCheck, TmatReferenceOfAWrongTypeIsNotFollowed)
{
    Model m;
    tlist("BADSF", {})(m);
    m.check("E");
    EXPECT_EQ(m.error_log().num_logged(utString("BADSF")), 0);
}
