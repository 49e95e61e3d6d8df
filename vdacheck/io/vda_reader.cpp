// Reading VDA-FS text into a vdaFile: statements become entities in file order; the text itself stays
// with the file so that the writer can copy unchanged entities byte for byte.
#include <vdacheck/io/vda_reader.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <vdacheck/io/vda_chunker.h>
#include <vdacheck/io/vda_diagnostics.h>
#include <vdacheck/io/vda_file_assembler.h>
#include <vdacheck/io/vda_parallel_reader.h>
#include <vdacheck/io/vda_statement_reader.h>
#include <vdacheck/model/vda_file.h>
#include <vdacheck/util/ut_thread_team.h>

namespace {

constexpr std::uint64_t progress_step = 4u << 20;
// Below this, a text after the HEADER is read faster than threads start.
constexpr std::size_t parallel_from = 1u << 20;
constexpr std::size_t min_chunk = 256u << 10;
// Chunks per thread: enough that threads finishing at different times wait little for each other.
constexpr std::size_t chunks_per_thread = 8;

bool crlf_at_first_line(std::string_view text)
{
    const auto newline = text.find('\n');
    return newline != std::string_view::npos && newline > 0 && text[newline - 1] == '\r';
}

unsigned thread_count(const vdaReadOptions& options) { return utThreadTeam::resolve(options.threads); }

// Reads the statements of `file`'s source text into it, which must be empty and hold the text: the HEADER
// on the calling thread, the rest in chunks on several threads when the text is large enough.
void read_into(vdaFile& file, const vdaReadOptions& options)
{
    vdaSource& source = file.source();
    const std::string_view text = source.text();
    vdaDiagnostics diag(source.name, source.warnings);
    vdaFileAssembler assembler(file, diag);
    vdaStatementReader reader(text, 0, diag);
    assembler.place(reader.header(), 0);
    source.eol = crlf_at_first_line(text) ? "\r\n" : "\n";

    const unsigned threads = thread_count(options);
    const std::size_t rest = text.size() - reader.offset();
    std::vector<std::size_t> cuts;
    if (threads > 1 && (options.chunk_bytes > 0 || rest >= parallel_from)) {
        const std::size_t chunk =
            options.chunk_bytes > 0 ? options.chunk_bytes : std::max(min_chunk, rest / (threads * chunks_per_thread));
        cuts = vdaChunker::cuts(text, reader.offset(), chunk);
    }
    int records = 0;
    if (cuts.size() > 1) {
        records = vdaParallelReader(text, diag, assembler).read(cuts, reader.line(), threads, options.progress);
    } else {
        std::uint64_t next_progress = progress_step;
        vdaStatement statement;
        while (reader.next(statement)) {
            if (options.progress && statement.span.body >= next_progress) {
                next_progress = statement.span.body + progress_step;
                options.progress(statement.span.body, text.size());
            }
            if (!assembler.place(std::move(statement), 0))
                break;
        }
        records = reader.line();
    }
    assembler.finish(records);
    for (vdaObject& entity : file)
        entity.mark_unchanged();  // sets were filled in after they were added
    if (options.progress)
        options.progress(text.size(), text.size());
}

// Calls fill(from, n) for [0, size) cut into as many slices as threads, on that many threads (the calling
// one among them); true when every call returned true. Copying a large text, and first touching the memory
// it goes to, then takes a fraction of the time it takes one thread.
template <class Fill>
bool fill_in_slices(std::size_t size, unsigned threads, const Fill& fill)
{
    const std::size_t slice = (size + threads - 1) / threads;
    std::atomic<bool> ok{true};
    utThreadTeam::for_each(threads, threads, [&](std::size_t k) {
        const std::size_t from = k * slice;
        try {
            if (from < size && !fill(from, std::min(slice, size - from)))
                ok = false;
        } catch (...) {
            ok = false;
        }
    });
    return ok;
}

// Threads for copying a text of `size` bytes into memory: one per megabyte at most, so that many threads
// asked for do not each start for a sliver.
unsigned copy_threads(std::size_t size, const vdaReadOptions& options)
{
    return static_cast<unsigned>(std::clamp<std::size_t>(size / parallel_from, 1, thread_count(options)));
}

}  // namespace

std::unique_ptr<vdaFile> vdaReader::read(std::string_view text, std::string_view source_name,
                                         const vdaReadOptions& options)
{
    auto file = std::make_unique<vdaFile>();
    vdaSource& source = file->source();
    source.name.assign(source_name);
    char* copy = source.allocate(text.size());
    fill_in_slices(text.size(), copy_threads(text.size(), options), [&](std::size_t from, std::size_t n) {
        if (n > 0)
            std::memcpy(copy + from, text.data() + from, n);
        return true;
    });
    read_into(*file, options);
    return file;
}

std::unique_ptr<vdaFile> vdaReader::load(const std::filesystem::path& path, const vdaReadOptions& options)
{
    const std::string name = path.string();
    const auto fail = [&name](const std::string& why) -> vdaReadError {
        return vdaReadError(name, 0, 0, "cannot read the file: " + why);
    };
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(std::fopen(name.c_str(), "rb"), &std::fclose);
    if (!in)
        throw fail(std::strerror(errno));
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    if (ec)
        throw fail(ec.message());
    auto file = std::make_unique<vdaFile>();
    vdaSource& source = file->source();
    source.name = name;
    char* bytes = source.allocate(size);
    const unsigned threads = copy_threads(size, options);
    const auto read_slice = [&](std::size_t from, std::size_t n) {
        std::ifstream slice(name, std::ios::binary);
        return slice.seekg(std::streamoff(from)) && slice.read(bytes + from, std::streamsize(n));
    };
    if (threads > 1 ? !fill_in_slices(size, threads, read_slice) : std::fread(bytes, 1, size, in.get()) != size)
        throw fail("it ended early or a read failed");
    read_into(*file, options);
    return file;
}
