// Builds a model in code, checks it through the installed library and tells whether the checker found
// exactly the one problem the model holds; writes a report page of it; heals a curve with a gap. Then loads
// a profile file and runs check with the geometric quality on a model read from text, as one call with one
// result.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include <vdacheck/heal/vdc_heal.h>
#include <vdacheck/report/vdc_report_writer.h>
#include <vdacheck/run/vdc_run.h>
#include <vdacheck/vdacheck.h>

namespace {

// Two patches whose seam opens by 0.05 mm, and a point holding the invalid-value sentinel.
const char* const gap_model = "GAPS     = HEADER / 0\n"
                              "PLATE    = SURF / 2, 1, 0., 1., 2., 0., 1.,\n"
                              "           2, 2, 0., 50., 0., 0., 0., 0., 60., 0., 0., 0., 0., 0.,\n"
                              "           2, 2, 50., 50., 0., 0., 0., 0., 60., 0., .05, 0., 0., 0.\n"
                              "P1       = POINT / -1.7976931348623157E+308, 0., 0.\n"
                              "GAPS     = END\n";

// The profile a host keeps beside its data: a tighter seam tolerance, and the invalid point only a note.
const char* const profile_text = R"({"rules": {"surf-patch-gap": {"tolerance": 0.01, "severity": "error"},
                                                "point-validity": {"severity": "note"}}})";

bool check_with_profile()
{
    const std::filesystem::path path = std::filesystem::temp_directory_path() / "vdacheck_consumer_profile.json";
    std::ofstream(path) << profile_text;
    vdcRunOptions options;
    try {
        options.profile = vdcProfile::load(path);
    } catch (const vdcProfileError& e) {
        std::printf("profile refused: %s\n", e.what());
        return false;
    }
    std::filesystem::remove(path);
    options.quality = true;
    const std::unique_ptr<vdaFile> file = vdaReader::read(gap_model, "gaps.vda");
    const vdcRunResult result = vdcRun(options).check(*file);
    for (const vdcProblem& p : result.errors)
        std::printf("%s %s: %s [%s, %s]\n", p.type.data(), p.entity.c_str(), p.message.c_str(), p.id().data(),
                    vdc_severity_name(p.severity));
    for (const vdcProblem& f : result.findings)
        std::printf("%s %s: %s %g %s (tolerance %g) [%s]\n", f.type.data(), f.entity.c_str(), f.id().data(), *f.value,
                    f.unit().data(), f.tolerance, vdc_severity_name(f.severity));
    return !result.clean && result.errors.size() == 1 && result.errors[0].severity == vdcSeverity::note &&
           result.findings.size() == 1 && result.findings[0].id() == "surf-patch-gap" &&
           result.findings[0].tolerance == 0.01 && result.findings[0].severity == vdcSeverity::error;
}

}  // namespace

int main()
{
    vdaFile file;
    file.create<vdaHeader>("CONSUMER");
    file.create<vdaPoint>("P1", giPoint3(1, 2, 3));
    file.create<vdaPset>("PS1", std::vector<giPoint3>{giPoint3(0, 0, 0), giPoint3(0, 0, utMath::max_double())});

    vdcFileCheck checker;
    const vdcFileCheckAcc access(&checker);
    const int result = checker.check(file);
    vdcLog& log = access.error_log();
    if (result != 0 || log.num_logged("P1") != 0 || log.num_logged("PS1") != 1) {
        std::printf("unexpected check result %d\n", result);
        return 1;
    }
    const vdcErrorPacket packet = log.packet("PS1");
    std::printf("PS1: %s [%d]\n", packet.error_message().c_str(), packet.get_int(0));
    const bool expected = packet.error_message() == ut_lit("Pset entity has invalid point") && packet.num_int() == 1 &&
                          packet.get_int(0) == 1;

    vdcReport report;
    report.file = "consumer.vda";
    report.faulty = {"PS1"};
    std::ostringstream page;
    vdcReportWriter(vdaScene{}, report).write(page);
    const bool written =
        page.str().rfind("<!DOCTYPE html>", 0) == 0 && page.str().find("consumer.vda") != std::string::npos;
    std::printf("report page: %zu bytes\n", page.str().size());

    file.create<vdaCurve>("C1", std::vector{vdaCurveSegment(0, 1, {giPoint3(0, 0, 0), giPoint3(10, 0, 0)}),
                                            vdaCurveSegment(1, 2, {giPoint3(10, 0.05, 0), giPoint3(10, 0, 0)})});
    file.remove(*file.find("PS1"));
    const vdcHealResult healed = vdc_heal(file);
    std::printf("healed: %zu, left: %zu\n", healed.healed.size(), healed.left.size());
    const bool closed = healed.healed.size() == 1 && healed.left.empty() && healed.healed[0].value_after < 1e-9;
    const bool profiled = check_with_profile();
    return expected && written && closed && profiled ? 0 : 1;
}
