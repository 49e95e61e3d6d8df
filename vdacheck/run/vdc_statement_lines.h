#pragma once

#include <cstddef>
#include <functional>
#include <streambuf>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// A stream buffer that passes everything written to it on to another and notes the line on which the
// first statement of each name it is given starts (a record "NAME = ..." from column 1): where the writer
// put the entities healing changed, in the text it saves. The HEADER's text records are not statements.
class vdcStatementLines : public std::streambuf {
public:
    vdcStatementLines(std::streambuf& out, const std::vector<std::string>& names);

    // The line of the statement of `name`; 0 when none was written.
    int line(std::string_view name) const;

protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* s, std::streamsize n) override;
    int sync() override;

private:
    // Takes `n` bytes of text as they pass.
    void scan(const char* s, std::size_t n);
    // The record that just ended, of which `record_` holds the start.
    void record_ended();
    // The start of record `number`: a statement's, a HEADER's text or a continuation.
    void take(std::string_view record, int number);

    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const noexcept { return std::hash<std::string_view>()(s); }
    };
    std::streambuf& out_;
    std::unordered_map<std::string, int, Hash, std::equal_to<>> lines_;
    std::string record_;  // the first columns of the record being written
    int number_ = 1;      // of that record
    long text_left_ = 0;  // HEADER text records still to come
};
