// Reading VDA-FS text into a vdaFile: statements become entities in file order; the text itself stays
// with the file so that the writer can copy unchanged entities byte for byte.
#include <vdacheck/io/vda_reader.h>

#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <istream>
#include <memory>
#include <string>
#include <vector>

#include <vdacheck/io/vda_chunker.h>
#include <vdacheck/io/vda_diagnostics.h>
#include <vdacheck/io/vda_file_assembler.h>
#include <vdacheck/io/vda_lexer.h>
#include <vdacheck/io/vda_parallel_reader.h>
#include <vdacheck/io/vda_statement_reader.h>
#include <vdacheck/model/vda_file.h>
#include <vdacheck/util/ut_thread_team.h>

namespace {

constexpr std::uint64_t progress_step = 4u << 20;
// A file is read in blocks of this size, each searched for records far too long as it arrives.
constexpr std::size_t load_block = 8u << 20;
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

// Cuts the statements of text [from, end) into chunks for the threads, when it is large enough for them.
std::vector<std::size_t> chunks_of(std::string_view text, std::size_t from, const vdaReadOptions& options)
{
    const unsigned threads = thread_count(options);
    const std::size_t rest = text.size() - from;
    if (threads < 2 || (options.chunk_bytes == 0 && rest < parallel_from))
        return {from};
    const std::size_t chunk =
        options.chunk_bytes > 0 ? options.chunk_bytes : std::max(min_chunk, rest / (threads * chunks_per_thread));
    return vdaChunker::cuts(text, from, chunk);
}

// After a text has been read without an error: a record far longer than any VDA-FS record fails it where the
// reader does not look (after END), as it would anywhere else; and so does the record at which reading
// stopped (`cut`: the text holds only its start), wherever it stands.
void reject_overlong(const vdaSource& source, bool cut)
{
    if (!cut && !source.has_end)
        return;
    const std::string_view text = source.text();
    std::size_t from = cut ? 0 : source.end_span.body;
    const std::size_t at = vdaLexer::find_overlong(text, from);
    if (at == std::string_view::npos)
        return;
    const auto line = 1 + std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(at), '\n');
    throw vdaReadError(source.name, static_cast<int>(line), static_cast<int>(vdaLexer::longest_record) + 1,
                       "the record is longer than " + std::to_string(vdaLexer::longest_record) +
                           " characters: this is not VDA-FS text");
}

// Reads the statements of `file`'s source text into it, which must be empty and hold the text: the HEADER
// on the calling thread, the rest in chunks on several threads when the text is large enough. `cut`: the
// text ends inside a record far too long, where reading stopped.
void read_into(vdaFile& file, const vdaReadOptions& options, bool cut = false)
{
    vdaSource& source = file.source();
    const std::string_view text = source.text();
    vdaDiagnostics diag(source.name, source.warnings);
    vdaFileAssembler assembler(file, diag);
    vdaStatementReader reader(text, 0, diag);
    assembler.place(reader.header(), 0);
    source.eol = crlf_at_first_line(text) ? "\r\n" : "\n";

    const std::vector<std::size_t> cuts = chunks_of(text, reader.offset(), options);
    int records = 0;
    if (cuts.size() > 1) {
        records = vdaParallelReader(text, diag, assembler).read(cuts, reader.line(), options);
    } else {
        std::uint64_t next_progress = progress_step;
        vdaStatement statement;
        while (reader.next(statement)) {
            if (options.progress && statement.span.body >= next_progress) {
                next_progress = statement.span.body + progress_step;
                options.progress(statement.span.body, text.size());
            }
            options.cancel.check();
            if (!assembler.place(std::move(statement), 0))
                break;
        }
        records = reader.line();
    }
    assembler.finish(records);
    reject_overlong(source, cut);
    for (vdaObject& entity : file)
        entity.mark_unchanged();  // sets were filled in after they were added
    if (options.progress)
        options.progress(text.size(), text.size());
}

// Reads a text whose size is not known (standard input, a pipe) block by block, and its statements as soon as
// they are whole, so that a malformed record fails the read once it has arrived, and a record far too long
// (an endless line: /dev/zero) ends it at once. The text grows in the file's source, which keeps it all.
class StreamReader {
public:
    StreamReader(std::istream& in, vdaFile& file, const vdaReadOptions& options)
        : in_(in), file_(file), source_(file.source()), options_(options), diag_(source_.name, source_.warnings),
          assembler_(file, diag_)
    {
        if (options.progress)
            options_.progress = [&progress = options.progress](std::uint64_t done, std::uint64_t) {
                progress(done, 0);
            };
    }

    void read()
    {
        int records = statements(header());
        // What follows END stays in the text, as it does in a file.
        while (more()) {
        }
        data_ = source_.resize(filled_);
        assembler_.finish(records);
        reject_overlong(source_, cut_);
        for (vdaObject& entity : file_)
            entity.mark_unchanged();
        if (options_.progress)
            options_.progress(filled_, 0);
    }

private:
    std::string_view text() const noexcept { return {data_, filled_}; }
    // The end of the last whole record read so far.
    std::size_t whole() const noexcept
    {
        std::size_t end = filled_;
        while (end > 0 && data_[end - 1] != '\n')
            --end;
        return end;
    }

    // Reads the next block; false once the stream has ended, or a record far too long has been met.
    bool more()
    {
        if (ended_)
            return false;
        const std::size_t block = options_.block_bytes > 0 ? options_.block_bytes : std::size_t{1} << 20;
        if (source_.text().size() < filled_ + block)
            data_ = source_.resize(std::max(2 * source_.text().size(), filled_ + block));
        in_.read(data_ + filled_, static_cast<std::streamsize>(block));
        filled_ += static_cast<std::size_t>(in_.gcount());
        if (in_.bad())
            throw vdaReadError(source_.name, 0, 0, "cannot read it: a read failed");
        ended_ = !in_;
        const std::size_t overlong = vdaLexer::find_overlong(text(), scanned_);
        if (overlong != std::string_view::npos) {
            filled_ = std::min(filled_, overlong + vdaLexer::longest_record + 2);
            ended_ = cut_ = true;
        }
        if (options_.progress)
            options_.progress(filled_, 0);
        options_.cancel.check();
        return true;
    }

    // Places the HEADER once its records have arrived; returns where the statements after it begin. A read of
    // the text so far that fails on its last record may only lack what is still to come: it is tried again
    // when the text has doubled, so that a long header is not read over and over.
    std::size_t header()
    {
        std::size_t tried = 0;
        for (;;) {
            more();
            const std::size_t end = ended_ ? filled_ : whole();
            if (!ended_ && end < std::max<std::size_t>(2 * tried, 1))
                continue;
            tried = end;
            std::vector<vdaReadWarning> warnings;
            vdaDiagnostics diag(source_.name, warnings);
            vdaStatementReader reader(text().substr(0, end), 0, diag);
            vdaStatement header;
            try {
                header = reader.header();
            } catch (const vdaReadError&) {
                if (ended_ || reader.offset() < end)
                    throw;
                continue;
            }
            for (const vdaReadWarning& w : warnings)
                diag_.replay(w, 0);
            diag_.add_unlisted(diag);
            source_.eol = crlf_at_first_line(text()) ? "\r\n" : "\n";
            assembler_.place(std::move(header), 0);
            lines_ = reader.line();
            return reader.offset();
        }
    }

    // Reads the statements from `from` on, each stretch of whole statements as it arrives, up to END or the
    // end of the stream; returns the records read.
    int statements(std::size_t from)
    {
        int records = lines_;
        std::size_t judged = from;  // the records before it were looked at for a statement's end
        for (;;) {
            std::size_t cut = ended_ ? filled_ : from;
            if (!ended_) {
                const std::size_t end = whole();
                if (const std::size_t last = vdaChunker::last_cut(text().substr(0, end), judged);
                    last != std::string_view::npos)
                    cut = last;
                judged = end;
            }
            if (cut > from) {
                const std::string_view stretch = text().substr(0, cut);
                records = vdaParallelReader(stretch, diag_, assembler_)
                              .read(chunks_of(stretch, from, options_), records, options_);
                from = cut;
                if (source_.has_end)
                    return records;
            }
            if (!more())
                return records;
        }
    }

    std::istream& in_;
    vdaFile& file_;
    vdaSource& source_;
    vdaReadOptions options_;
    vdaDiagnostics diag_;
    vdaFileAssembler assembler_;
    char* data_ = nullptr;
    std::size_t filled_ = 0;   // bytes read
    std::size_t scanned_ = 0;  // where the search for records far too long goes on
    int lines_ = 0;            // records of the HEADER
    bool ended_ = false;       // nothing more is read
    bool cut_ = false;         // reading stopped at a record far too long
};

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

std::unique_ptr<vdaFile> vdaReader::read(std::istream& in, std::string_view source_name, const vdaReadOptions& options)
{
    auto file = std::make_unique<vdaFile>();
    file->source().name.assign(source_name);
    StreamReader(in, *file, options).read();
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
    struct stat status {};
    if (::fstat(fileno(in.get()), &status) != 0)
        throw fail(std::strerror(errno));
    if (!S_ISREG(status.st_mode)) {
        // A pipe, a device, a process substitution: read as a stream, whatever its size.
        std::ifstream stream(name, std::ios::binary);
        if (!stream)
            throw fail(std::strerror(errno));
        return read(stream, name, options);
    }
    const auto size = static_cast<std::size_t>(status.st_size);
    auto file = std::make_unique<vdaFile>();
    vdaSource& source = file->source();
    source.name = name;
    char* bytes = source.allocate(size);
    // Each slice is read block by block and searched for a record far too long: one (a file of one endless
    // line) ends the reading of every slice past it, so that it fails without being read whole.
    std::atomic<std::size_t> stop{size};
    const auto read_slice = [&](std::size_t from, std::size_t n) {
        std::ifstream slice(name, std::ios::binary);
        if (!slice.seekg(std::streamoff(from)))
            return false;
        std::size_t scanned = from;
        for (std::size_t at = from; at < from + n && at < stop.load(std::memory_order_relaxed); at += load_block) {
            const std::size_t m = std::min(load_block, from + n - at);
            if (!slice.read(bytes + at, std::streamsize(m)))
                return false;
            const std::size_t overlong = vdaLexer::find_overlong(std::string_view(bytes, at + m), scanned);
            if (overlong != std::string_view::npos) {
                const std::size_t end = std::min(size, overlong + vdaLexer::longest_record + 2);
                for (std::size_t s = stop.load(); end < s && !stop.compare_exchange_weak(s, end);) {
                }
                break;
            }
        }
        return true;
    };
    if (!fill_in_slices(size, copy_threads(size, options), read_slice))
        throw fail("it ended early or a read failed");
    const bool cut = stop.load() < size;
    if (cut)
        source.resize(stop.load());
    read_into(*file, options, cut);
    return file;
}
