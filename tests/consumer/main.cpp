// Builds a model in code, checks it through the installed library and tells whether the checker found
// exactly the one problem the model holds.
#include <cstdio>
#include <vector>

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
    return expected ? 0 : 1;
}
