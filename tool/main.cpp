// vdacheck: checks, repairs and cleans VDA-FS files from the shell.

#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <latch>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

#include <tool/vdc_cli_options.h>
#include <tool/vdc_cli_runner.h>
#include <vdacheck/util/ut_temporary_files.h>
#include <vdacheck/util/ut_terminal_text.h>

#ifdef VDACHECK_JEMALLOC
// jemalloc reads its options from this symbol when the process starts. Its arenas and their bookkeeping
// are backed by transparent huge pages: a 100 MB model then faults in some thousand pages instead of tens
// of thousands, which was a third of the time `check` took on two cores. MALLOC_CONF still overrides it.
extern "C" {
extern const char* malloc_conf;
const char* malloc_conf = "thp:always,metadata_thp:always";
int mallctl(const char* name, void* old_value, std::size_t* old_size, void* new_value, std::size_t new_size);
}
#endif

namespace {

// The thread that takes `signals`: see end_on_signals. It returns once the thread runs, so that the thread
// holds what it was given before a quick run ends (a usage error): the leak checker of a sanitizer build
// would otherwise find the thread's state owned by no one.
void start_signal_thread(const sigset_t& signals, utTemporaryFiles& temporaries)
{
    std::latch running(1);
    std::thread([signals, &temporaries, &running] {
        running.count_down();
        int signal = 0;
        while (sigwait(&signals, &signal) != 0) {
        }
        temporaries.remove_all();
        std::signal(signal, SIG_DFL);
        sigset_t one;
        sigemptyset(&one);
        sigaddset(&one, signal);
        pthread_sigmask(SIG_UNBLOCK, &one, nullptr);
        std::raise(signal);
        _exit(128 + signal);
    }).detach();
    running.wait();
}

// SIGINT, SIGTERM and SIGHUP (those not ignored when the process started, as nohup ignores SIGHUP) are
// blocked in every thread and taken by one thread of their own: it removes the named temporary files of
// the saves in progress and ends the process by the same signal, so that a shell sees 128 + its number.
// Unnamed temporary files need nothing: they vanish with the process.
void end_on_signals(utTemporaryFiles& temporaries)
{
    sigset_t signals;
    sigemptyset(&signals);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction current {};
        if (sigaction(signal, nullptr, &current) == 0 && current.sa_handler != SIG_IGN)
            sigaddset(&signals, signal);
    }
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    try {
        start_signal_thread(signals, temporaries);
    } catch (const std::system_error&) {
        // No thread to spare (a process limit): the signals end the process as they would by default, and
        // only a named temporary file, where the file system offers no unnamed one, may be left.
        pthread_sigmask(SIG_UNBLOCK, &signals, nullptr);
    }
}

// True when `path` is the file standard output already writes to (/dev/stdout, or the file it was
// redirected to): replacing that file would lose what is written to standard output.
bool is_standard_output(const std::string& path)
{
    struct stat file {
    }, out{};
    return ::stat(path.c_str(), &file) == 0 && ::fstat(STDOUT_FILENO, &out) == 0 && file.st_dev == out.st_dev &&
           file.st_ino == out.st_ino;
}

}  // namespace

int main(int argc, char** argv)
{
    // Never destroyed: the signal thread may use it until the process has ended.
    utTemporaryFiles& temporaries = *new utTemporaryFiles;
    end_on_signals(temporaries);
    std::ios::sync_with_stdio(false);
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    vdcCliOptions options;
    try {
        options = vdcCliOptions::parse(args);
    } catch (const vdcUsageError& e) {
        std::cerr << "vdacheck: " << ut_terminal_text(e.what()) << "\n\n" << vdc_usage_text();
        return 2;
    }
    if (!options.output.empty() && is_standard_output(options.output))
        options.output = std::string("-");
    vdcCliRunner runner(std::cin, std::cout, std::cerr, stderr, isatty(STDOUT_FILENO) != 0, &temporaries);
#ifdef VDACHECK_JEMALLOC
    // Each thread keeps freed blocks for its own reuse. A job's thread hands them back once its file is
    // done: with hundreds of jobs, hundreds of such caches would otherwise hold memory (on huge pages,
    // each first zeroed) that the other jobs cannot use, and --jobs 1024 would take twice the time of 2.
    runner.after_each_file([] { mallctl("thread.tcache.flush", nullptr, nullptr, nullptr, 0); });
#endif
    const int status = runner.run(options);
    // The runner checks its streams; this is for whatever a library may have written through C's stdio.
    errno = 0;
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::cerr << "vdacheck: cannot write to standard output: " << std::strerror(errno != 0 ? errno : EIO) << '\n';
        return 2;
    }
    return status;
}
