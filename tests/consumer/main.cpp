// Builds a model in code, checks it through the installed library and tells whether the checker found
// exactly the one problem the model holds; writes a report page of it; heals a curve with a gap.
#include <cstdio>
#include <sstream>
#include <vector>

#include <vdacheck/heal/vdc_heal.h>
#include <vdacheck/report/vdc_report_writer.h>
#include <vdacheck/vdacheck.h>

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
    return expected && written && closed ? 0 : 1;
}
