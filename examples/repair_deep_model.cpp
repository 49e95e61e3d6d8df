// A host that repairs a file on its main thread, whatever the file's nesting: it loads the file, calls the
// library's repair and saves the result. With --chain N it first writes a test file of N groups nested in
// one another around an invalid point, which makes the checker recurse N levels deep.
//
//   vdacheck_example_deep_repair --chain 1000000 chain.vda
//   vdacheck_example_deep_repair chain.vda repaired.vda        (exit 0: the saved model checks clean)
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <string>

#include <vdacheck/vdacheck.h>

namespace {

int write_chain(long n, const char* path)
{
    std::ofstream out(path, std::ios::binary);
    out << "CHAIN    = HEADER / 0\n";
    for (long i = 0; i < n; ++i)
        out << 'G' << i << " = GROUP / 1, G" << i + 1 << '\n';
    out << 'G' << n << " = POINT / -1.7976931348623157E+308, 0., 0.\nCHAIN    = END\n";
    return out.good() ? 0 : 2;
}

int repair(const char* in, const char* out)
{
    const std::unique_ptr<vdaFile> file = vdaReader::load(in);
    const vdcRepairResult result = vdc_repair(*file);
    vdaWriter::save(*file, out);
    std::printf("%s: %s after %zu rounds; %d problems repaired, %d entities deleted; %d entities saved to %s\n", in,
                result.clean ? "clean" : "not clean", result.rounds.size(), result.repaired(), result.deleted(),
                file->size(), out);

    // What was saved reads back and checks clean.
    const std::unique_ptr<vdaFile> saved = vdaReader::load(out);
    vdcFileCheck checker;
    return result.clean && checker.check(*saved) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    try {
        if (argc == 4 && std::string(argv[1]) == "--chain")
            return write_chain(std::atol(argv[2]), argv[3]);
        if (argc == 3)
            return repair(argv[1], argv[2]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 2;
    }
    std::fprintf(stderr, "usage: %s IN OUT | --chain N FILE\n", argv[0]);
    return 2;
}
