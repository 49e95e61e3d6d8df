#pragma once

// Internal to the VDA-FS reader; not part of the library's interface.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <vdacheck/io/vda_lexer.h>
#include <vdacheck/io/vda_statement.h>
#include <vdacheck/model/vda_types.h>
#include <vdacheck/util/ut_string.h>

// Reads statements one after the other: the parameters of an entity statement become the entity, the frame
// statements (BEGINSET, ENDSET, END) are passed on by name. What the statement means for the file (sets,
// duplicate names, END) is left to vdaFileAssembler, so that chunks of a text can be read on several threads
// and still be joined as one reader would have read them.
class vdaStatementReader {
public:
    // Reads the records of `text` from offset `begin` on; lines count from there.
    vdaStatementReader(std::string_view text, std::size_t begin, vdaDiagnostics& diagnostics) noexcept;

    // The HEADER statement and its text records, which come first (comments before them are warned about).
    vdaStatement header();
    // Reads the next statement into `out`; false once the records are used up or END was read.
    bool next(vdaStatement& out);
    // Records read so far.
    int line() const noexcept { return lex_.line(); }
    // The first byte not read yet.
    std::size_t offset() const noexcept { return lex_.next_offset(); }

private:
    template <class T>
    struct Tag {
    };

    vdaStatement statement(vdaStatement::Kind kind, std::unique_ptr<vdaObject> entity, utString name, int line,
                           std::size_t body);
    void read_statement(vdaStatement& out);
    std::unique_ptr<vdaObject> read_entity(std::string_view word, const utString& name);

    std::unique_ptr<vdaObject> read(Tag<vdaHeader>, const utString&);
    std::unique_ptr<vdaObject> read(Tag<vdaBeginSet>, const utString&);
    std::unique_ptr<vdaObject> read(Tag<vdaPoint>, const utString& name);
    std::unique_ptr<vdaObject> read(Tag<vdaPset>, const utString& name);
    std::unique_ptr<vdaObject> read(Tag<vdaMDI>, const utString& name);
    std::unique_ptr<vdaObject> read(Tag<vdaCircle>, const utString& name);
    std::unique_ptr<vdaObject> read(Tag<vdaCurve>, const utString& name);
    std::unique_ptr<vdaObject> read(Tag<vdaSurf>, const utString& name);
    std::unique_ptr<vdaObject> read(Tag<vdaCons>, const utString& name);
    std::unique_ptr<vdaObject> read(Tag<vdaFace>, const utString& name);
    std::unique_ptr<vdaObject> read(Tag<vdaTop>, const utString& name);
    std::unique_ptr<vdaObject> read(Tag<vdaGroup>, const utString& name);
    std::unique_ptr<vdaObject> read(Tag<vdaTmat>, const utString& name);
    std::unique_ptr<vdaObject> read(Tag<vdaTlist>, const utString& name);

    template <class Where>
    vdaLinkedSurf linked_surf(Where where);
    template <class Where>
    std::vector<vdaTrimmedCurve> trimmed_curves(Where where);
    std::vector<utString> read_names(const char* what);
    // The segments of a CURVE (3-D coefficients) or a CONS (2-D): count, breakpoints, then per segment its
    // order and its coefficients, every x first, then every y (and z).
    template <class Segment>
    std::vector<Segment> read_segments();

    static std::string expected(std::uint64_t total, const std::string& what, std::uint64_t found);
    // Moves to the next parameter; when the statement has ended, fails with message() (built only then).
    template <class Message>
    void need(const Message& message)
    {
        if (!lex_.next_param())
            lex_.fail_after_last(message());
    }
    void need_item(const char* what);
    std::int32_t count(const char* what);
    void reals(double* out, int n, const char* plural, const char* singular);
    void point_values(std::int32_t n, int per_point, const char* before, const char* after);
    void breakpoints(std::int32_t n, std::vector<double>& out, const char* what);
    void coefficients(std::uint64_t total, const char* owner, std::uint64_t index);

    vdaDiagnostics& diag_;
    vdaLexer lex_;
    std::size_t lead_;  // where the comments before the next statement begin
    bool ended_ = false;
    std::vector<double> breaks_, v_breaks_, values_;
};
