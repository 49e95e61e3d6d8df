#include <vdacheck/io/vda_parallel_reader.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>

#include <vdacheck/io/vda_diagnostics.h>
#include <vdacheck/io/vda_file_assembler.h>
#include <vdacheck/io/vda_statement_reader.h>
#include <vdacheck/util/ut_thread_team.h>

// What a thread read from one chunk: its statements, its warnings with lines counted from the chunk's
// start, and what stopped it early (an error, which may not be the file's first).
struct vdaParallelReader::Chunk {
    Chunk(const std::string& source, std::size_t from, std::size_t to) : begin(from), end(to), diag(source, warnings) {}

    const std::size_t begin;
    const std::size_t end;
    std::vector<vdaStatement> statements;
    std::vector<vdaReadWarning> warnings;
    vdaDiagnostics diag;
    int lines = 0;
    std::optional<vdaReadError> error;
    std::exception_ptr failure;  // anything else, such as running out of memory
    bool done = false;           // guarded by the reader's mutex
};

void vdaParallelReader::read_chunk(Chunk& chunk) const
{
    try {
        vdaStatementReader reader(text_.substr(0, chunk.end), chunk.begin, chunk.diag);
        vdaStatement statement;
        while (reader.next(statement)) {
            statement.warnings = chunk.warnings.size();
            chunk.statements.push_back(std::move(statement));
        }
        chunk.lines = reader.line();
    } catch (const vdaReadError& error) {
        chunk.error = error;
    } catch (...) {
        chunk.failure = std::current_exception();
    }
}

// Places a chunk's statements with the warnings met before each; false once END is placed.
bool vdaParallelReader::place(Chunk& chunk, int line_offset)
{
    std::size_t listed = 0;
    bool more = true;
    for (vdaStatement& statement : chunk.statements) {
        for (; listed < statement.warnings; ++listed)
            diag_.replay(chunk.warnings[listed], line_offset);
        if (!assembler_.place(std::move(statement), line_offset)) {
            more = false;
            break;
        }
    }
    if (more)
        for (; listed < chunk.warnings.size(); ++listed)
            diag_.replay(chunk.warnings[listed], line_offset);
    diag_.add_unlisted(chunk.diag);
    if (more && chunk.error) {
        const vdaReadError& e = *chunk.error;
        throw vdaReadError(e.source(), e.line() + line_offset, e.column(), e.message());
    }
    if (more && chunk.failure)
        std::rethrow_exception(chunk.failure);
    chunk.statements = std::vector<vdaStatement>();
    chunk.warnings = std::vector<vdaReadWarning>();
    return more;
}

// About how many statements the chunks hold, from those read so far, so that the file makes room for them
// at once rather than growing step by step. At most one per 64 bytes: a text that begins with many small
// statements does not make the file ask for much more than it needs.
std::size_t vdaParallelReader::estimate(const std::vector<std::unique_ptr<Chunk>>& chunks) const
{
    double statements = 0;
    double bytes = 0;
    for (const std::unique_ptr<Chunk>& chunk : chunks)
        if (chunk->done && !chunk->error && !chunk->failure) {
            statements += double(chunk->statements.size());
            bytes += double(chunk->end - chunk->begin);
        }
    const double total = double(chunks.back()->end - chunks.front()->begin);
    if (bytes == 0)
        return 0;
    return static_cast<std::size_t>(std::min(1.1 * statements * total / bytes, total / 64));
}

int vdaParallelReader::read(const std::vector<std::size_t>& cuts, int line_offset, const vdaReadOptions& options)
{
    const unsigned threads = utThreadTeam::resolve(options.threads);
    std::vector<std::unique_ptr<Chunk>> chunks;
    chunks.reserve(cuts.size());
    for (std::size_t i = 0; i < cuts.size(); ++i)
        chunks.push_back(
            std::make_unique<Chunk>(diag_.source(), cuts[i], i + 1 < cuts.size() ? cuts[i + 1] : text_.size()));

    std::mutex mutex;
    std::condition_variable finished;
    std::atomic<std::size_t> next{0};
    std::atomic<bool> stop{false};  // no chunk after one that met END or an error is needed
    // Claims the next chunk nobody reads yet and reads it; false when none is left.
    const auto read_next = [&] {
        if (stop.load(std::memory_order_relaxed))
            return false;
        const std::size_t i = next.fetch_add(1);
        if (i >= chunks.size())
            return false;
        Chunk& chunk = *chunks[i];
        read_chunk(chunk);
        const bool ended = !chunk.statements.empty() && chunk.statements.back().kind == vdaStatement::Kind::end;
        if (ended || chunk.error || chunk.failure)
            stop = true;
        {
            const std::lock_guard<std::mutex> lock(mutex);
            chunk.done = true;
        }
        finished.notify_all();
        return true;
    };

    // Helpers read chunks in whatever order they claim them; the calling thread places them in file order
    // and reads what the helpers leave. However this function is left, the helpers stop before they are
    // joined.
    const std::size_t helpers = std::min<std::size_t>(std::max(threads, 1u), chunks.size()) - 1;
    utThreadTeam team(helpers, [&read_next] {
        while (read_next()) {
        }
    });
    struct StopFirst {
        std::atomic<bool>& stop;
        ~StopFirst() { stop = true; }
    } stop_first{stop};

    int line = line_offset;
    for (const std::unique_ptr<Chunk>& chunk : chunks) {
        // While another thread still reads this chunk, read the next ones; with none left, wait.
        std::unique_lock<std::mutex> lock(mutex);
        while (!chunk->done) {
            lock.unlock();
            const bool read_one = read_next();
            lock.lock();
            if (!read_one)
                finished.wait(lock, [&] { return chunk->done; });
        }
        // Which chunks are done is read under the lock; the room is made outside it.
        const std::size_t expected = chunk == chunks.front() ? estimate(chunks) : 0;
        lock.unlock();
        if (expected > 0)
            assembler_.expect(expected);
        if (!place(*chunk, line))
            return line;
        line += chunk->lines;
        if (options.progress && chunk->end < text_.size())  // the reader reports the end itself
            options.progress(chunk->end, text_.size());
        options.cancel.check();
    }
    return line;
}
