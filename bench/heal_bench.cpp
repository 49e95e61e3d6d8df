// Healing against checking with the quality measured, each in a process of its own (time them with
// /usr/bin/time):
//   vdacheck_heal_bench make FILE MB    writes a synthetic model of about MB megabytes, repaired, with 100
//                                       defects of every healed rule put into parts that had no finding,
//                                       half of them within the healing tolerance
//   vdacheck_heal_bench check FILE      reads FILE, checks it and measures its quality (check --quality)
//   vdacheck_heal_bench heal FILE OUT   reads FILE, heals it (repair, measure, heal, measure again) and
//                                       writes it to OUT (heal -o)
// Both print what they found or did on one line. Healing may take at most three times as long as checking.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include <vdacheck/heal/vdc_heal.h>
#include <vdacheck/quality/vdc_quality_check.h>
#include <vdacheck/vdacheck.h>

#include "synthetic_defects.h"
#include "synthetic_model.h"

namespace {

int make(const char* path, double mb)
{
    std::unique_ptr<vdaFile> file =
        vdaReader::read(vda_synthetic_model(static_cast<std::size_t>(mb * double(1 << 20))), "synthetic.vda");
    vdc_repair(*file);
    std::vector<std::string> flagged;
    for (const vdcQualityFinding& f : vdcQualityCheck().run(*file).findings)
        flagged.emplace_back(f.entity.view());
    const auto defects = vda_inject_defects(*file, vda_parts_without(*file, flagged), 1, 100, 0.1, 1.0);
    vdaWriter::save(*file, path);
    std::printf("%s: %zu defects put in\n", path, defects.size());
    return 0;
}

int check(const char* path)
{
    const std::unique_ptr<vdaFile> file = vdaReader::load(path);
    vdcFileCheck checker;
    const int clean = checker.check(*file);
    const vdcQualityReport report = vdcQualityCheck().run(*file);
    std::printf("%s: %s, %zu quality findings\n", path, clean ? "clean" : "problems", report.findings.size());
    return 0;
}

int heal(const char* in, const char* out)
{
    const std::unique_ptr<vdaFile> file = vdaReader::load(in);
    const vdcHealResult result = vdc_heal(*file);
    vdaWriter::save(*file, out);
    std::printf("%s: %zu healed, %zu left, %zu undone, largest move %g mm\n", in, result.healed.size(),
                result.left.size(), result.undone.size(), result.largest_displacement);
    for (const std::string& u : result.undone)
        std::printf("  undone %s\n", u.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "make") == 0)
        return make(argv[2], std::atof(argv[3]));
    if (argc == 3 && std::strcmp(argv[1], "check") == 0)
        return check(argv[2]);
    if (argc == 4 && std::strcmp(argv[1], "heal") == 0)
        return heal(argv[2], argv[3]);
    std::fprintf(stderr, "usage: %s make FILE MB | check FILE | heal FILE OUT\n", argv[0]);
    return 2;
}
