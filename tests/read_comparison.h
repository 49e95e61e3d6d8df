#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "vda_test_support.h"

// Reading one text serially and in chunks on several threads, and what must agree between the two.
namespace vdatest {

// One read of a text: the model, or the error that stopped it.
struct ReadOutcome {
    std::unique_ptr<vdaFile> file;
    std::optional<vdaReadError> error;
};

inline ReadOutcome read_with(std::string_view text, unsigned threads, std::size_t chunk_bytes = 0)
{
    vdaReadOptions options;
    options.threads = threads;
    options.chunk_bytes = chunk_bytes;
    ReadOutcome outcome;
    try {
        outcome.file = vdaReader::read(text, "test.vda", options);
    } catch (const vdaReadError& error) {
        outcome.error = error;
    }
    return outcome;
}

// The same text read from a stream in blocks of `block_bytes`, as standard input is.
inline ReadOutcome read_streamed(std::string_view text, std::size_t block_bytes, unsigned threads = 1)
{
    vdaReadOptions options;
    options.threads = threads;
    options.block_bytes = block_bytes;
    std::istringstream in{std::string(text)};
    ReadOutcome outcome;
    try {
        outcome.file = vdaReader::read(in, "test.vda", options);
    } catch (const vdaReadError& error) {
        outcome.error = error;
    }
    return outcome;
}

inline auto as_tuple(const vdaSource::Span& s) { return std::make_tuple(s.lead, s.body, s.end); }
inline auto as_tuple(const vdaReadWarning& w)
{
    return std::make_tuple(w.kind, w.line, w.column, w.message, w.summary);
}

// The same error, or the same model with the same lines, source spans and warnings, written back the same.
inline void expect_same_read(const ReadOutcome& expected, const ReadOutcome& actual)
{
    ASSERT_EQ(expected.error.has_value(), actual.error.has_value())
        << (expected.error ? expected.error->what() : actual.error->what());
    if (expected.error) {
        EXPECT_STREQ(expected.error->what(), actual.error->what());
        EXPECT_EQ(expected.error->line(), actual.error->line());
        EXPECT_EQ(expected.error->column(), actual.error->column());
        return;
    }
    const vdaFile& a = *expected.file;
    const vdaFile& b = *actual.file;
    EXPECT_EQ(vda_first_difference(a, b), "");
    ASSERT_EQ(a.num_slots(), b.num_slots());
    for (std::uint32_t i = 0; i < a.num_slots(); ++i) {
        EXPECT_EQ(a.slot(i)->line(), b.slot(i)->line()) << a.slot(i)->name().view();
        EXPECT_FALSE(b.slot(i)->changed()) << b.slot(i)->name().view();
    }
    const vdaSource& s = a.source();
    const vdaSource& t = b.source();
    ASSERT_EQ(s.spans.size(), t.spans.size());
    for (std::size_t i = 0; i < s.spans.size(); ++i)
        EXPECT_EQ(as_tuple(s.spans[i]), as_tuple(t.spans[i])) << "span " << i;
    ASSERT_EQ(s.endsets.size(), t.endsets.size());
    for (std::size_t i = 0; i < s.endsets.size(); ++i) {
        EXPECT_EQ(s.endsets[i].before_slot, t.endsets[i].before_slot) << "endset " << i;
        EXPECT_EQ(s.endsets[i].set_slot, t.endsets[i].set_slot) << "endset " << i;
        EXPECT_EQ(as_tuple(s.endsets[i].span), as_tuple(t.endsets[i].span)) << "endset " << i;
    }
    EXPECT_EQ(as_tuple(s.end_span), as_tuple(t.end_span));
    EXPECT_EQ(s.has_end, t.has_end);
    EXPECT_EQ(s.eol, t.eol);
    ASSERT_EQ(a.warnings().size(), b.warnings().size());
    for (std::size_t i = 0; i < a.warnings().size(); ++i)
        EXPECT_EQ(as_tuple(a.warnings()[i]), as_tuple(b.warnings()[i])) << "warning " << i;
    EXPECT_EQ(written(a), written(b));
}

// Reads `text` on one thread, then on three threads in chunks of several sizes, the smallest holding one
// statement each (a text of a megabyte or more: in chunks of a thousandth of it), and from a stream in blocks
// of those sizes, and expects every other read to agree with the serial one. Returns the serial read's model,
// or throws its error.
inline std::unique_ptr<vdaFile> read_all_ways(std::string_view text)
{
    ReadOutcome serial = read_with(text, 1);
    const std::vector<std::size_t> sizes =
        text.size() < (1u << 20) ? std::vector<std::size_t>{1, 50, 4096} : std::vector<std::size_t>{text.size() / 1000};
    for (const std::size_t chunk_bytes : sizes) {
        SCOPED_TRACE("chunks of " + std::to_string(chunk_bytes) + " bytes");
        expect_same_read(serial, read_with(text, 3, chunk_bytes));
        expect_same_read(serial, read_streamed(text, chunk_bytes));
    }
    if (serial.error)
        throw *serial.error;
    serial.file->make_current();
    return std::move(serial.file);
}

}  // namespace vdatest
