// vdacheck: checks, repairs and cleans VDA-FS files from the shell.

#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <string_view>
#include <vector>

#include <tool/vdc_cli_options.h>
#include <tool/vdc_cli_runner.h>

#ifdef VDACHECK_JEMALLOC
// jemalloc reads its options from this symbol when the process starts. Its arenas and their bookkeeping
// are backed by transparent huge pages: a 100 MB model then faults in some thousand pages instead of tens
// of thousands, which was a third of the time `check` took on two cores. MALLOC_CONF still overrides it.
extern "C" {
extern const char* malloc_conf;
const char* malloc_conf = "thp:always,metadata_thp:always";
}
#endif

int main(int argc, char** argv)
{
    std::ios::sync_with_stdio(false);
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    vdcCliOptions options;
    try {
        options = vdcCliOptions::parse(args);
    } catch (const vdcUsageError& e) {
        std::cerr << "vdacheck: " << e.what() << "\n\n" << vdc_usage_text();
        return 2;
    }
    vdcCliRunner runner(std::cin, std::cout, std::cerr, stderr, isatty(STDOUT_FILENO) != 0);
    return runner.run(options);
}
