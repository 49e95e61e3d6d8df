// A host that builds a small model in code, checks it, repairs what can be repaired and deletes the
// rest, printing the logs at each step.
#include <cstdio>

#include <vdacheck/vdacheck.h>

namespace {

void print_log(const vdaFile& file, const vdcLog& log, const char* title)
{
    std::printf("%s\n", title);
    int count = 0;
    for (const vdaObject& entity : file)
        log.for_each_packet(entity.name(), [&](const vdcErrorPacket& p) {
            std::printf("  %-8s %-8s %s", entity.type().command_word(), entity.name().c_str(),
                        p.error_message().c_str());
            for (int i = 0; i < p.num_int(); ++i)
                std::printf(" [%d]", p.get_int(i));
            for (int i = 0; i < p.num_dbl(); ++i)
                std::printf(" %g", p.get_dbl(i));
            std::printf("%s\n", p.error_function() ? "  (repairable)" : "");
            ++count;
        });
    if (count == 0)
        std::printf("  (empty)\n");
}

vdaCurveSegment line_segment(double t0, double t1, int order)
{
    std::vector<giPoint3> coeffs(static_cast<std::size_t>(order), giPoint3(0, 0, 0));
    coeffs[0] = giPoint3(t0, 0, 0);
    if (order > 1)
        coeffs[1] = giPoint3(t1 - t0, 1, 0);
    return vdaCurveSegment(t0, t1, coeffs);
}

}  // namespace

int main()
{
    vdaFile file;
    file.create<vdaHeader>("DEMO", std::vector<std::string>{"Built in code"});
    file.create<vdaPoint>("PT1", giPoint3(-utMath::max_double(), 0, 0));
    file.create<vdaCircle>("CI1", giPoint3(0, 0, 0), 5.0, giVector3(2, 0, 0), giVector3(0.6, 0.8, 0), 10.0, 0.0);

    // A face whose cons refers to a curve with a segment of order 30: the face -> cons -> curve road.
    file.create<vdaCurve>("CV1", std::vector<vdaCurveSegment>{line_segment(0, 1, 4), line_segment(1, 2, 30)});
    std::vector<vdaSurfPatch> patches{
        vdaSurfPatch(0, 1, 0, 1, 2, 2, {giPoint3(0, 0, 1), giPoint3(1, 0, 1), giPoint3(0, 1, 1), giPoint3(1, 1, 1)})};
    file.create<vdaSurf>("SF1", 1, 1, patches);
    file.create<vdaCons>("CN1", "SF1", "CV1", 0.0, 2.0,
                         std::vector<vdaConsSegment>{vdaConsSegment(0, 1, {giPoint2(0, 0), giPoint2(1, 0)})});
    file.create<vdaFace>("FC1", "SF1", std::vector<vdaBoundary>{vdaBoundary({vdaTrimmedCurve("CN1", 0.0, 1.0)})});

    vdcFileCheck checker;
    const vdcFileCheckAcc access(&checker);
    std::printf("check: %d\n", checker.check(file));
    print_log(file, access.error_log(), "error log after check:");
    std::printf("fix: %d\n", checker.fix());
    print_log(file, access.fixed_log(), "fixed log after fix:");
    print_log(file, access.error_log(), "error log after fix:");
    checker.clean();
    std::printf("after clean: %d entities, check: %d\n", file.size(), checker.check(file));
    print_log(file, access.error_log(), "error log of the cleaned model:");
    return 0;
}
