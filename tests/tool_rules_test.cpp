// The rule registry against what the checker really produces: every check rule has a model that produces
// it, and the reports name it. (The reader's rules have their texts in the reader's tests.)

#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <tool/vdc_text_report.h>
#include <vdacheck/run/vdc_json_report.h>
#include <vdacheck/run/vdc_run.h>
#include <vdacheck/util/ut_json_writer.h>
#include <vdacheck/vdacheck.h>

#include "check_support.h"

namespace {

const std::string header = "H = HEADER / 0\n";
const std::string sentinel = "-1.7976931348623157E+308";

// Entities the models below refer to: a clean surface S (and S2), curve K over [0, 1], cons N over [0, 1] on
// S and K, matrix X; and faulty ones: surface S0, curve K2, cons NB, matrix X0.
const std::string parts = "S = SURF / 1, 1, 0., 1., 0., 1., 2, 2, 0., 1., 0., 1., 0., 0., 1., 1.,\n"
                          "  1., 1., 1., 1.\n"
                          "S2 = SURF / 1, 1, 0., 1., 0., 1., 2, 2, 0., 1., 0., 1., 0., 0., 1., 1.,\n"
                          "  2., 2., 2., 2.\n"
                          "K = CURVE / 1, 0., 1., 2, 0., 1., 0., 0., 0., 0.\n"
                          "N = CONS / S, K, 0., 1., 1, 0., 1., 2, 0., 1., 0., 0.\n"
                          "X = TMAT / 1., 0., 0., 0., 1., 0., 0., 0., 1., 0., 0., 0.\n"
                          "S0 = SURF / 0, 0\n"
                          "K2 = CURVE / 1, 0., 1., 1, 0., 0., 0.\n"
                          "NB = CONS / S, K, 0., 2., 1, 0., 1., 2, 0., 1., 0., 0.\n"
                          "X0 = TMAT / 0., 0., 0., 0., 0., 0., 0., 0., 0., 0., 0., 0.\n";

std::unique_ptr<vdaFile> model(const std::string& statements)
{
    return vdaReader::read(header + parts + statements, "rule.vda");
}

// Segments and patches read from a file share their breakpoints, so neighbours that do not meet (over
// [0, 1] and [2, 3]) are built in code.
std::unique_ptr<vdaFile> unjoined(const std::string& type)
{
    using M = Model;
    auto file = std::make_unique<vdaFile>();
    if (type == "CURVE")
        file->create<vdaCurve>("C", std::vector{M::curve_segment(0, 1), M::curve_segment(2, 3)});
    if (type == "CONS")
        file->create<vdaCons>("C", "S", "K", 0.0, 1.0, std::vector{M::cons_segment(0, 1), M::cons_segment(2, 3)});
    if (type == "SURF u")
        file->create<vdaSurf>("C", 2, 1, std::vector{M::patch(0, 1, 0, 1), M::patch(2, 3, 0, 1)});
    if (type == "SURF v")
        file->create<vdaSurf>("C", 1, 2, std::vector{M::patch(0, 1, 0, 1), M::patch(0, 1, 2, 3)});
    return file;
}

// The ids of the registered rules of one kind, in the registry's order.
std::vector<std::string> registered(vdcRuleKind kind)
{
    std::vector<std::string> ids;
    for (const vdcRule& rule : vdc_rules())
        if (rule.kind == kind)
            ids.emplace_back(rule.id);
    return ids;
}

struct RuleModel {
    const char* rule;
    std::function<std::unique_ptr<vdaFile>()> build;
};

std::function<std::unique_ptr<vdaFile>()> text(std::string statements)
{
    return [statements] { return model(statements); };
}

// One model per check rule, in the registry's order.
const std::vector<RuleModel>& check_models()
{
    static const std::vector<RuleModel> models = {
        {"point-validity", text("P = POINT / " + sentinel + ", 0., 0.\n")},
        {"pset-point-validity", text("P = PSET / 1, 0., 0., 1.7976931348623157E+308\n")},
        {"mdi-point", text("P = MDI / 1, " + sentinel + ", 0., 0., 0., 0., 1.\n")},
        {"mdi-vector", text("P = MDI / 1, 0., 0., 0., " + sentinel + ", 0., 1.\n")},
        {"curve-num-segments", text("C = CURVE / 0\n")},
        {"curve-segment-parameters", text("C = CURVE / 1, 1., 0., 2, 0., 1., 0., 0., 0., 0.\n")},
        {"curve-adjacent-parameters", [] { return unjoined("CURVE"); }},
        {"curve-segment-orders", text("C = CURVE / 1, 0., 1., 1, 0., 0., 0.\n")},
        {"curve-segment-coeffs", text("C = CURVE / 1, 0., 1., 2,\n  " + sentinel + ", 1., 0., 0., 0., 0.\n")},
        {"cons-num-segments", text("C = CONS / S, K, 0., 1., 0\n")},
        {"cons-segment-parameters", text("C = CONS / S, K, 0., 1., 1, 1., 0., 2, 0., 1., 0., 0.\n")},
        {"cons-adjacent-parameters", [] { return unjoined("CONS"); }},
        {"cons-segment-orders", text("C = CONS / S, K, 0., 1., 1, 0., 1., 1, 0., 0.\n")},
        {"cons-segment-coeffs", text("C = CONS / S, K, 0., 1., 1, 0., 1., 2, 0.,\n  " + sentinel + ", 0., 0.\n")},
        {"cons-null-curve-ptr", text("C = CONS / S, NONE, 0., 1., 1, 0., 1., 2, 0., 1., 0., 0.\n")},
        {"cons-curve-ptr-is-curve", text("C = CONS / S, S, 0., 1., 1, 0., 1., 2, 0., 1., 0., 0.\n")},
        {"cons-curve-ptr", text("C = CONS / S, K2, 0., 1., 1, 0., 1., 2, 0., 1., 0., 0.\n")},
        {"cons-null-surface-ptr", text("C = CONS / NONE, K, 0., 1., 1, 0., 1., 2, 0., 1., 0., 0.\n")},
        {"cons-surface-ptr-is-surface", text("C = CONS / K, K, 0., 1., 1, 0., 1., 2, 0., 1., 0., 0.\n")},
        {"cons-surface-ptr", text("C = CONS / S0, K, 0., 1., 1, 0., 1., 2, 0., 1., 0., 0.\n")},
        {"cons-trimming-params", text("C = CONS / S, K, 0., 2., 1, 0., 1., 2, 0., 1., 0., 0.\n")},
        {"surf-num-patches", text("C = SURF / 0, 2, 0., 1., 2.\n")},
        {"surf-adjacent-v-parameters", [] { return unjoined("SURF v"); }},
        {"surf-adjacent-u-parameters", [] { return unjoined("SURF u"); }},
        {"surf-u-patch-parameters", text("C = SURF / 1, 1, 1., 0., 0., 1., 1, 2, 1., 1., 1., 1., 1., 1.\n")},
        {"surf-v-patch-parameters", text("C = SURF / 1, 1, 0., 1., 1., 0., 1, 2, 1., 1., 1., 1., 1., 1.\n")},
        {"surf-patch-order", text("C = SURF / 1, 1, 0., 1., 0., 1., 1, 1, 1., 1., 1.\n")},
        {"surf-patch-coeffs", text("C = SURF / 1, 1, 0., 1., 0., 1., 1, 2, 1., 1., 1.,\n  " + sentinel + ", 1., 1.\n")},
        {"surf-patch-coeffs-degenerate", text("C = SURF / 1, 1, 0., 1., 0., 1., 1, 2, 0., 0., 0., 0., 1., 1.\n")},
        {"circle-centre-point",
         text("C = CIRCLE / " + sentinel + ",\n  0., 0., 1., 1., 0., 0., 0., 1., 0., 0., 90.\n")},
        {"circle-radius", text("C = CIRCLE / 0., 0., 0., 0., 1., 0., 0., 0., 1., 0., 0., 90.\n")},
        {"circle-normal-v-vector", text("C = CIRCLE / 0., 0., 0., 1., 2., 0., 0., 0., 1., 0., 0., 90.\n")},
        {"circle-normal-w-vector", text("C = CIRCLE / 0., 0., 0., 1., 1., 0., 0., 0., 2., 0., 0., 90.\n")},
        {"circle-vectors-orthogonal", text("C = CIRCLE / 0., 0., 0., 1., 1., 0., 0., .6, .8, 0., 0., 90.\n")},
        {"circle-angles", text("C = CIRCLE / 0., 0., 0., 1., 1., 0., 0., 0., 1., 0., 90., 90.\n")},
        {"face-null-surface-ptr", text("C = FACE / NONE, 0\n")},
        {"face-surface-ptr-is-surface", text("C = FACE / K, 0\n")},
        {"face-surface-ptr", text("C = FACE / S0, 0\n")},
        {"face-surface-ptr-is-cons-surface-ptr", text("C = FACE / S2, 1, 1, N, 0., 1.\n")},
        {"face-null-cons-ptr", text("C = FACE / S, 1, 1, NONE, 0., 1.\n")},
        {"face-cons-ptr-is-cons", text("C = FACE / S, 1, 1, K, 0., 1.\n")},
        {"face-cons-ptr", text("C = FACE / S, 1, 1, NB, 0., 1.\n")},
        {"face-cons-parameters", text("C = FACE / S, 1, 1, N, 0., 2.\n")},
        {"top-null-face-surf-ptr", text("C = TOP / 1, NONE, 0, S, 0, 0\n")},
        {"top-face-surface-ptr-type", text("C = TOP / 1, K, 0, S, 0, 0\n")},
        {"top-face-surface-ptr", text("C = TOP / 1, S0, 0, S, 0, 0\n")},
        {"top-null-cons-ptr", text("C = TOP / 1, S, 1, NONE, 0., 1., S, 0, 0\n")},
        {"top-cons-ptr-is-cons", text("C = TOP / 1, S, 1, K, 0., 1., S, 0, 0\n")},
        {"top-cons-ptr", text("C = TOP / 1, S, 1, NB, 0., 1., S, 0, 0\n")},
        {"top-cons-parameters", text("C = TOP / 1, S, 1, N, 0., 2., S, 0, 0\n")},
        {"top-continuity-class", text("C = TOP / 1, S, 0, S, 0, 3\n")},
        {"tmat-invertible", text("C = TMAT / 0., 0., 0., 0., 0., 0., 0., 0., 0., 0., 0., 0.\n")},
        {"tmat-rigid", text("C = TMAT / 2., 0., 0., 0., 2., 0., 0., 0., 2., 0., 0., 0.\n")},
        {"tlist-null-tmat-ptr", text("C = TLIST / NONE, 0\n")},
        {"tlist-tmat-ptr-type", text("C = TLIST / S, 0\n")},
        {"tlist-tmat-ptr", text("C = TLIST / X0, 0\n")},
        {"tlist-null-entity-ptr", text("C = TLIST / X, 1, NONE\n")},
        {"tlist-entity-ptr-type", text("C = TLIST / X, 1, X\n")},
        {"tlist-entity-ptr", text("C = TLIST / X, 1, K2\n")},
        {"group-null-entity-ptr", text("C = GROUP / 1, NONE\n")},
        {"group-entity-ptr-type", text("C = GROUP / 1, X\n")},
        {"group-entity-ptr", text("C = GROUP / 1, K2\n")},
        {"beginset-null-entity-ptr",
         [] {
             auto file = model("C = BEGINSET\nP = POINT / 0., 0., 1.\nC = ENDSET\n");
             delete file->find("P");
             return file;
         }},
        {"beginset-entity-ptr", text("C = BEGINSET\nP = POINT / " + sentinel + ", 0., 0.\nC = ENDSET\n")},
    };
    return models;
}

// The rules the report of a model's check names for entity C (or the only faulty entity).
std::set<std::string> rules_reported(vdaFile& file, std::string& text, std::string& json)
{
    vdcRunOptions options;
    options.file = "rule.vda";
    const vdcRunResult result = vdcRun(options).check(file);
    std::ostringstream t, j;
    vdc_write_text(t, result);
    utJsonWriter writer(j, utJsonWriter::Style::line);
    vdcJsonReport::write(writer, result);
    text = t.str();
    json = j.str();
    std::set<std::string> rules;
    for (const vdcProblem& p : result.errors)
        rules.insert(std::string(p.id()));
    return rules;
}

TEST(Rules, EveryCheckRuleHasAModelThatProducesIt)
{
    std::vector<std::string> modelled;
    for (const RuleModel& m : check_models())
        modelled.emplace_back(m.rule);
    ASSERT_EQ(modelled, registered(vdcRuleKind::check));  // one model per rule, in the registry's order

    for (const RuleModel& m : check_models()) {
        SCOPED_TRACE(m.rule);
        const auto file = m.build();
        std::string text, json;
        const std::set<std::string> rules = rules_reported(*file, text, json);
        EXPECT_TRUE(rules.count(m.rule)) << text;
        EXPECT_NE(text.find(std::string(" [") + m.rule + "]"), std::string::npos) << text;
        EXPECT_NE(json.find(std::string("\"rule\": \"") + m.rule + "\""), std::string::npos) << json;
        // The helper parts are clean: only the model's own entities (and those that refer to them) report.
        EXPECT_FALSE(rules.count("")) << text;
    }
}

// Each rule's message is its own, and a packet's rule carries the repair the check attached.
TEST(Rules, MessagesAndRepairsAreOneToOne)
{
    std::set<std::string> messages;
    for (const vdcRule& rule : vdc_rules()) {
        if (rule.kind != vdcRuleKind::check)
            continue;
        EXPECT_TRUE(messages.insert(rule.message).second) << rule.message;
        EXPECT_EQ(rule.repair == nullptr, rule.repair_name.empty()) << rule.id;
        vdcErrorPacket packet;
        packet.set_error_message(utString(rule.message));  // a copy: found by its text, not its address
        EXPECT_EQ(vdc_rule_of(packet), &rule);
        EXPECT_EQ(vdc_find_rule(rule.id), &rule);
        EXPECT_FALSE(rule.help.empty());
    }
    vdcErrorPacket unknown;
    unknown.set_error_message(ut_lit("not a message of any check"));
    EXPECT_EQ(vdc_rule_of(unknown), nullptr);
    EXPECT_EQ(vdc_find_rule("no-such-rule"), nullptr);
}

}  // namespace
