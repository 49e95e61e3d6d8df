// Reading VDA-FS text into a vdaFile: statements become entities in file order; the text itself stays
// with the file so that the writer can copy unchanged entities byte for byte.
#include <vdacheck/io/vda_reader.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <vdacheck/io/vda_lexer.h>
#include <vdacheck/model/vda_file.h>
#include <vdacheck/model/vda_types.h>

namespace {

// What a command word starts: the frame statements, or one of the entity statements.
enum class Command { end, endset, header, beginset, entity, unknown };

Command command_of(std::string_view word) noexcept
{
    if (word == "END")
        return Command::end;
    if (word == "ENDSET")
        return Command::endset;
    if (word == vdaHeader::id.command_word())
        return Command::header;
    if (word == vdaBeginSet::id.command_word())
        return Command::beginset;
    const bool entity = vdaEntityTypes::any([&]<class T>() { return word == T::id.command_word(); });
    return entity ? Command::entity : Command::unknown;
}

template <class T>
struct Tag {};

std::string upper(std::string_view word)
{
    std::string s(word);
    for (char& ch : s)
        if (ch >= 'a' && ch <= 'z')
            ch = static_cast<char>(ch - 'a' + 'A');
    return s;
}

std::string quoted(std::string_view name) { return "'" + std::string(name) + "'"; }

constexpr std::uint64_t progress_step = 4u << 20;

// Reads the statements of one source text into `file`, which must be empty and hold the text.
class FileReader {
public:
    FileReader(vdaFile& file, const vdaReadOptions& options)
        : file_(file), source_(file.source()), options_(options), text_(source_.text()),
          diag_(source_.name, source_.warnings), lex_(text_, diag_)
    {
    }

    void read()
    {
        read_header();
        while (lex_.next_record()) {
            report_progress();
            if (lex_.classify() != vdaLexer::Record::data)
                continue;
            if (!read_statement())
                break;
        }
        if (!source_.has_end) {
            if (diag_.listed(vdaWarningKind::missing_end))
                diag_.warn(vdaWarningKind::missing_end, lex_.line(), 1, "missing END statement at the end of the file");
            close_open_sets("at the end of the file");
            source_.end_span = {item_start_, text_.size(), text_.size()};
        }
        diag_.finish(lex_.line());
        for (vdaObject& entity : file_)
            entity.mark_unchanged();  // sets were filled in after they were added
        if (options_.progress)
            options_.progress(text_.size(), text_.size());
    }

private:
    struct OpenSet {
        vdaBeginSet* set;
        std::uint32_t slot;
    };

    void report_progress()
    {
        if (!options_.progress || lex_.record_offset() < next_progress_)
            return;
        next_progress_ = lex_.record_offset() + progress_step;
        options_.progress(lex_.record_offset(), text_.size());
    }

    // --- the frame of the file: HEADER, sets, END

    void read_header()
    {
        bool warned = false;
        while (lex_.next_record()) {
            const vdaLexer::Record kind = lex_.classify();
            if (kind == vdaLexer::Record::comment && !warned) {
                warned = true;
                if (diag_.listed(vdaWarningKind::comment_before_header))
                    diag_.warn(vdaWarningKind::comment_before_header, lex_.line(), 1, "comment before the HEADER statement");
            }
            if (kind != vdaLexer::Record::data)
                continue;
            const std::size_t body = lex_.record_offset();
            const int line = lex_.line();
            const vdaLexer::Head head = lex_.head();
            if (head.word != "HEADER")
                lex_.fail_at(line, head.word_column,
                             "expected the HEADER statement first, found " + quoted(head.word));
            lex_.set_statement(head.word, head.name);
            lex_.expect_parameters();
            const std::int32_t lines = count("number of text records");
            lex_.expect_end();
            std::vector<std::string> text;
            for (std::int32_t i = 0; i < lines; ++i) {
                if (!lex_.next_record())
                    lex_.fail_after_last("expected " + std::to_string(lines) + " text records after the HEADER, found " +
                                         std::to_string(i));
                text.emplace_back(lex_.header_text());
            }
            source_.eol = text_.size() > 0 && crlf_at_first_line() ? "\r\n" : "\n";
            header_name_ = utString(head.name);
            add(std::make_unique<vdaHeader>(header_name_, std::move(text)), line, body);
            return;
        }
        diag_.fail(std::max(lex_.line(), 1), 1, "expected the HEADER statement, found the end of the file");
    }

    bool crlf_at_first_line() const
    {
        const auto newline = text_.find('\n');
        return newline != std::string_view::npos && newline > 0 && text_[newline - 1] == '\r';
    }

    // Reads the statement that starts on the current record; false once END is read.
    bool read_statement()
    {
        const std::size_t body = lex_.record_offset();
        const int line = lex_.line();
        const vdaLexer::Head head = lex_.head();
        const Command command = command_of(head.word);
        if (command == Command::unknown) {
            std::string message = "unknown command word " + quoted(head.word);
            if (command_of(upper(head.word)) != Command::unknown)
                message += " (command words are upper case)";
            lex_.fail_at(line, head.word_column, message);
        }
        lex_.set_statement(head.word, head.name);
        const utString name(head.name);
        switch (command) {
        case Command::header:
            lex_.fail_at(line, head.word_column, "the HEADER must be the first statement of the file");
        case Command::unknown:
            break;  // reported above
        case Command::end:
            lex_.expect_no_parameters();
            read_end(name, line, body);
            return false;
        case Command::beginset:
            lex_.expect_no_parameters();
            begin_set(name, line, body);
            return true;
        case Command::endset:
            lex_.expect_no_parameters();
            end_set(name, line, body);
            return true;
        case Command::entity:
            break;
        }
        lex_.expect_parameters();
        std::unique_ptr<vdaObject> entity = read_entity(head.word, name);
        lex_.expect_end();
        add(std::move(entity), line, body);
        return true;
    }

    void read_end(const utString& name, int line, std::size_t body)
    {
        if (name != header_name_ && diag_.listed(vdaWarningKind::end_name))
            diag_.warn(vdaWarningKind::end_name, line, 1, "END " + quoted(name.view()) + " does not carry the HEADER name " +
                                    quoted(header_name_.view()));
        close_open_sets("at END");
        source_.has_end = true;
        source_.end_span = {item_start_, body, text_.size()};
        if (lex_.next_record() && diag_.listed(vdaWarningKind::records_after_end))
            diag_.warn(vdaWarningKind::records_after_end, lex_.line(), 1, "records after END are ignored");
    }

    void begin_set(const utString& name, int line, std::size_t body)
    {
        if (!open_.empty() && diag_.listed(vdaWarningKind::nested_set))
            diag_.warn(vdaWarningKind::nested_set, line, 1, "set " + quoted(name.view()) + " is nested in set " +
                                    quoted(open_.back().set->name().view()) + "; VDA-FS sets do not nest");
        auto& set = static_cast<vdaBeginSet&>(add(std::make_unique<vdaBeginSet>(name), line, body));
        open_.push_back({&set, set.slot()});
    }

    void end_set(const utString& name, int line, std::size_t body)
    {
        if (open_.empty())
            lex_.fail_at(line, 1, "ENDSET without a matching BEGINSET");
        if (open_.back().set->name() != name)
            lex_.fail_at(line, 1, "ENDSET does not match the open set " + quoted(open_.back().set->name().view()));
        source_.endsets.push_back({file_.num_slots(), open_.back().slot, {item_start_, body, lex_.next_offset()}});
        item_start_ = lex_.next_offset();
        open_.pop_back();
    }

    // A set still open at END or at the end of the file ends there; it has no ENDSET record.
    void close_open_sets(const char* where)
    {
        while (!open_.empty()) {
            const OpenSet& open = open_.back();
            if (diag_.listed(vdaWarningKind::unclosed_set))
                diag_.warn(vdaWarningKind::unclosed_set, open.set->line(), 1, "set " + quoted(open.set->name().view()) + " is not closed; it ends " + where);
            source_.endsets.push_back({file_.num_slots(), open.slot, {item_start_, item_start_, item_start_}});
            open_.pop_back();
        }
    }

    vdaObject& add(std::unique_ptr<vdaObject> entity, int line, std::size_t body)
    {
        if (const vdaObject* first = file_.find(entity->name()); first && diag_.listed(vdaWarningKind::duplicate_name))
            diag_.warn(vdaWarningKind::duplicate_name, line, 1, "duplicate name " + quoted(entity->name().view()) + " (first used on line " +
                                    std::to_string(first->line()) + "); references resolve to the first");
        vdaObject& added = file_.adopt(std::move(entity), line);
        source_.spans.push_back({item_start_, body, lex_.next_offset()});
        item_start_ = lex_.next_offset();
        if (!open_.empty() && open_.back().set != &added)
            open_.back().set->add_element(added);
        return added;
    }

    // --- entities

    // The parameters of an entity statement, read by the overload for its class.
    std::unique_ptr<vdaObject> read_entity(std::string_view word, const utString& name)
    {
        std::unique_ptr<vdaObject> entity;
        vdaEntityTypes::any([&]<class T>() {
            if (word != T::id.command_word())
                return false;
            entity = read(Tag<T>(), name);
            return true;
        });
        return entity;
    }

    // HEADER and BEGINSET are read as the frame of the file, never as entity statements.
    std::unique_ptr<vdaObject> read(Tag<vdaHeader>, const utString&) { return nullptr; }
    std::unique_ptr<vdaObject> read(Tag<vdaBeginSet>, const utString&) { return nullptr; }
    std::unique_ptr<vdaObject> read(Tag<vdaPoint>, const utString& name) { return read_point(name); }
    std::unique_ptr<vdaObject> read(Tag<vdaPset>, const utString& name) { return read_pset(name); }
    std::unique_ptr<vdaObject> read(Tag<vdaMDI>, const utString& name) { return read_mdi(name); }
    std::unique_ptr<vdaObject> read(Tag<vdaCircle>, const utString& name) { return read_circle(name); }
    std::unique_ptr<vdaObject> read(Tag<vdaCurve>, const utString& name) { return read_curve(name); }
    std::unique_ptr<vdaObject> read(Tag<vdaSurf>, const utString& name) { return read_surf(name); }
    std::unique_ptr<vdaObject> read(Tag<vdaCons>, const utString& name) { return read_cons(name); }
    std::unique_ptr<vdaObject> read(Tag<vdaFace>, const utString& name) { return read_face(name); }
    std::unique_ptr<vdaObject> read(Tag<vdaTop>, const utString& name) { return read_top(name); }
    std::unique_ptr<vdaObject> read(Tag<vdaGroup>, const utString& name)
    {
        return std::make_unique<vdaGroup>(name, read_names("element"));
    }
    std::unique_ptr<vdaObject> read(Tag<vdaTmat>, const utString& name) { return read_tmat(name); }
    std::unique_ptr<vdaObject> read(Tag<vdaTlist>, const utString& name) { return read_tlist(name); }

    std::unique_ptr<vdaObject> read_point(const utString& name)
    {
        double v[3];
        reals(v, 3, "coordinates", "coordinate");
        return std::make_unique<vdaPoint>(name, giPoint3(v[0], v[1], v[2]));
    }

    std::unique_ptr<vdaObject> read_pset(const utString& name)
    {
        const std::int32_t n = count("number of points");
        std::vector<giPoint3> points;
        double v[3];
        for (std::int32_t i = 0; i < n; ++i) {
            for (int c = 0; c < 3; ++c) {
                need([&] { return expected(3 * std::uint64_t(n), "coordinates for " + std::to_string(n) + " points",
                                           3 * std::uint64_t(i) + std::uint64_t(c)); });
                v[c] = lex_.real("coordinate");
            }
            points.emplace_back(v[0], v[1], v[2]);
        }
        return std::make_unique<vdaPset>(name, std::move(points));
    }

    std::unique_ptr<vdaObject> read_mdi(const utString& name)
    {
        const std::int32_t n = count("number of points");
        std::vector<giPoint3> points;
        std::vector<giVector3> vectors;
        double v[6];
        for (std::int32_t i = 0; i < n; ++i) {
            for (int c = 0; c < 6; ++c) {
                need([&] {
                    return expected(6 * std::uint64_t(n), "values for " + std::to_string(n) + " points with vectors",
                                    6 * std::uint64_t(i) + std::uint64_t(c));
                });
                v[c] = lex_.real(c < 3 ? "coordinate" : "vector component");
            }
            points.emplace_back(v[0], v[1], v[2]);
            vectors.emplace_back(v[3], v[4], v[5]);
        }
        return std::make_unique<vdaMDI>(name, std::move(points), std::move(vectors));
    }

    std::unique_ptr<vdaObject> read_circle(const utString& name)
    {
        double v[12];
        reals(v, 12, "values (centre, radius, plane vectors, start and end angle)", "circle value");
        return std::make_unique<vdaCircle>(name, giPoint3(v[0], v[1], v[2]), v[3], giVector3(v[4], v[5], v[6]),
                                           giVector3(v[7], v[8], v[9]), v[10], v[11]);
    }

    std::unique_ptr<vdaObject> read_tmat(const utString& name)
    {
        double v[12];
        reals(v, 12, "values (3x3 matrix row by row, then the translation)", "matrix value");
        return std::make_unique<vdaTmat>(
            name, giXform3({v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8]}, {v[9], v[10], v[11]}));
    }

    std::unique_ptr<vdaObject> read_curve(const utString& name)
    {
        const std::int32_t n = count("number of segments");
        breakpoints(n, breaks_, "segment parameters");
        std::vector<vdaCurveSegment> segments;
        segments.reserve(std::size_t(n));  // its n + 1 breakpoints are there: n is backed by values read
        for (std::int32_t s = 0; s < n; ++s) {
            need([&] { return expected(std::uint64_t(n), "segments", std::uint64_t(s)); });
            const std::int32_t order = lex_.integer("order");
            const std::size_t k = order > 0 ? static_cast<std::size_t>(order) : 0;
            coefficients(3 * k, "segment", std::uint64_t(s) + 1);
            std::vector<giPoint3> coeffs(k);
            for (std::size_t j = 0; j < k; ++j)
                coeffs[j] = giPoint3(values_[j], values_[k + j], values_[2 * k + j]);
            segments.emplace_back(breaks_[std::size_t(s)], breaks_[std::size_t(s) + 1], order, std::move(coeffs));
        }
        return std::make_unique<vdaCurve>(name, std::move(segments));
    }

    std::unique_ptr<vdaObject> read_surf(const utString& name)
    {
        const std::int32_t nu = count("number of patches in u");
        const std::int32_t nv = count("number of patches in v");
        // A count of 0 reads no values for its own breakpoint list only; patches need both counts.
        breakpoints(nu, breaks_, "u parameters");
        breakpoints(nv, v_breaks_, "v parameters");
        if (nu == 0 || nv == 0)
            return std::make_unique<vdaSurf>(name, nu, nv, breaks_, v_breaks_);
        std::vector<vdaSurfPatch> patches;
        {
            const std::uint64_t total = std::uint64_t(nu) * std::uint64_t(nv);
            for (std::uint64_t p = 0; p < total; ++p) {
                need([&] { return expected(total, "patches", p); });
                const std::int32_t u_order = lex_.integer("u order");
                need([&] { return "expected the v order of patch " + std::to_string(p + 1) + ", found the end of the statement"; });
                const std::int32_t v_order = lex_.integer("v order");
                const std::uint64_t k = u_order > 0 && v_order > 0 ? std::uint64_t(u_order) * std::uint64_t(v_order) : 0;
                coefficients(3 * k, "patch", p + 1);
                std::vector<giPoint3> coeffs(static_cast<std::size_t>(k));
                for (std::size_t j = 0; j < k; ++j)
                    coeffs[j] = giPoint3(values_[j], values_[k + j], values_[2 * k + j]);
                const std::size_t i = static_cast<std::size_t>(p % std::uint64_t(nu));
                const std::size_t jv = static_cast<std::size_t>(p / std::uint64_t(nu));
                patches.emplace_back(breaks_[i], breaks_[i + 1], v_breaks_[jv], v_breaks_[jv + 1], u_order, v_order,
                                     std::move(coeffs));
            }
        }
        return std::make_unique<vdaSurf>(name, nu, nv, std::move(patches));
    }

    std::unique_ptr<vdaObject> read_cons(const utString& name)
    {
        need_item("the surface name");
        const utString surface(lex_.name("surface name"));
        need_item("the curve name");
        const utString curve(lex_.name("curve name"));
        need_item("the start parameter on the curve");
        const double start = lex_.real("start parameter");
        need_item("the end parameter on the curve");
        const double end = lex_.real("end parameter");
        const std::int32_t n = count("number of segments");
        breakpoints(n, breaks_, "segment parameters");
        std::vector<vdaConsSegment> segments;
        segments.reserve(std::size_t(n));  // its n + 1 breakpoints are there: n is backed by values read
        for (std::int32_t s = 0; s < n; ++s) {
            need([&] { return expected(std::uint64_t(n), "segments", std::uint64_t(s)); });
            const std::int32_t order = lex_.integer("order");
            const std::size_t k = order > 0 ? static_cast<std::size_t>(order) : 0;
            coefficients(2 * k, "segment", std::uint64_t(s) + 1);
            std::vector<giPoint2> coeffs(k);
            for (std::size_t j = 0; j < k; ++j)
                coeffs[j] = giPoint2(values_[j], values_[k + j]);
            segments.emplace_back(breaks_[std::size_t(s)], breaks_[std::size_t(s) + 1], order, std::move(coeffs));
        }
        return std::make_unique<vdaCons>(name, surface, curve, start, end, std::move(segments));
    }

    std::unique_ptr<vdaObject> read_face(const utString& name)
    {
        need_item("the surface name");
        const utString surface(lex_.name("surface name"));
        const std::int32_t m = count("number of boundaries");
        std::vector<vdaBoundary> boundaries;
        for (std::int32_t b = 0; b < m; ++b) {
            need([&] { return expected(std::uint64_t(m), "boundaries", std::uint64_t(b)); });
            boundaries.emplace_back(trimmed_curves([&] { return "boundary " + std::to_string(b + 1); }));
        }
        return std::make_unique<vdaFace>(name, surface, std::move(boundaries));
    }

    std::unique_ptr<vdaObject> read_top(const utString& name)
    {
        const std::int32_t m = count("number of surface pairs");
        std::vector<vdaSurfacePair> pairs;
        for (std::int32_t i = 0; i < m; ++i) {
            const auto side = [i](int which) {
                return [i, which] {
                    return std::string(which == 1 ? "the first" : "the second") + " side of surface pair " +
                           std::to_string(i + 1);
                };
            };
            need([&] { return expected(std::uint64_t(m), "surface pairs", std::uint64_t(i)); });
            vdaLinkedSurf first = linked_surf(side(1));
            need([&] { return "expected " + side(2)() + ", found the end of the statement"; });
            vdaLinkedSurf second = linked_surf(side(2));
            need([&] { return "expected the continuity of surface pair " + std::to_string(i + 1) +
                              ", found the end of the statement"; });
            const std::int32_t continuity = lex_.integer("continuity");
            pairs.emplace_back(std::move(first), std::move(second), continuity);
        }
        return std::make_unique<vdaTop>(name, std::move(pairs));
    }

    // A side of a TOP pair; the cursor stands on its face or surface name.
    template <class Where>
    vdaLinkedSurf linked_surf(Where where)
    {
        const utString entity(lex_.name("face or surface name"));
        need([&] { return "expected the number of curves of " + where() + ", found the end of the statement"; });
        return vdaLinkedSurf(entity, trimmed_curves(where));
    }

    // A count of trimming curves at the cursor, then that many (cons, w1, w2) triples.
    template <class Where>
    std::vector<vdaTrimmedCurve> trimmed_curves(Where where)
    {
        const std::int32_t n = lex_.integer("number of curves");
        if (n < 0)
            lex_.fail_after_last("the number of curves of " + where() + " must not be negative, found " +
                                 std::to_string(n));
        std::vector<vdaTrimmedCurve> curves;
        for (std::int32_t t = 0; t < n; ++t) {
            need([&] { return expected(std::uint64_t(n), "trimming curves for " + where(), std::uint64_t(t)); });
            const utString cons(lex_.name("cons name"));
            const auto piece = [&](const char* what) {
                return "expected the " + std::string(what) + " of trimming curve " + std::to_string(t + 1) + " of " +
                       where() + ", found the end of the statement";
            };
            need([&] { return piece("start parameter"); });
            const double w1 = lex_.real("start parameter");
            need([&] { return piece("end parameter"); });
            const double w2 = lex_.real("end parameter");
            curves.emplace_back(cons, w1, w2);
        }
        return curves;
    }

    std::unique_ptr<vdaObject> read_tlist(const utString& name)
    {
        need_item("the name of the transformation matrix");
        const utString tmat(lex_.name("matrix name"));
        return std::make_unique<vdaTlist>(name, tmat, read_names("element"));
    }

    std::vector<utString> read_names(const char* what)
    {
        const std::int32_t n = count("number of elements");
        std::vector<utString> names;
        for (std::int32_t i = 0; i < n; ++i) {
            need([&] { return expected(std::uint64_t(n), "element names", std::uint64_t(i)); });
            names.emplace_back(lex_.name(what));
        }
        return names;
    }

    // --- values

    static std::string expected(std::uint64_t total, const std::string& what, std::uint64_t found)
    {
        return "expected " + std::to_string(total) + " " + what + ", found " + std::to_string(found);
    }

    // Moves to the next parameter; when the statement has ended, fails with message() (built only then).
    template <class Message>
    void need(const Message& message)
    {
        if (!lex_.next_param())
            lex_.fail_after_last(message());
    }

    void need_item(const char* what)
    {
        need([what] { return std::string("expected ") + what + ", found the end of the statement"; });
    }

    // A count: a non-negative integer.
    std::int32_t count(const char* what)
    {
        need([what] { return std::string("expected the ") + what + ", found the end of the statement"; });
        const std::int32_t n = lex_.integer(what);
        if (n < 0)
            lex_.fail_after_last(std::string("the ") + what + " must not be negative, found " + std::to_string(n));
        return n;
    }

    void reals(double* out, int n, const char* plural, const char* singular)
    {
        for (int i = 0; i < n; ++i) {
            need([&] { return expected(std::uint64_t(n), plural, std::uint64_t(i)); });
            out[i] = lex_.real(singular);
        }
    }

    // n + 1 breakpoints of n segments or patches (none for n = 0).
    void breakpoints(std::int32_t n, std::vector<double>& out, const char* what)
    {
        out.clear();
        if (n <= 0)
            return;
        const std::uint64_t total = std::uint64_t(n) + 1;
        if (const std::uint64_t found = lex_.reals(out, total, "parameter"); found < total)
            lex_.fail_after_last(expected(total, what, found));
    }

    // `total` coefficients of segment or patch `index` into values_, which grows only as values are
    // actually present.
    void coefficients(std::uint64_t total, const char* owner, std::uint64_t index)
    {
        values_.clear();
        if (const std::uint64_t found = lex_.reals(values_, total, "coefficient"); found < total)
            lex_.fail_after_last(expected(total, "coefficients for " + std::string(owner) + " " + std::to_string(index), found));
    }

    vdaFile& file_;
    vdaSource& source_;
    const vdaReadOptions& options_;
    std::string_view text_;
    vdaDiagnostics diag_;
    vdaLexer lex_;
    utString header_name_;
    std::size_t item_start_ = 0;  // where the comments before the next statement begin
    std::vector<OpenSet> open_;   // innermost last
    std::vector<double> breaks_, v_breaks_, values_;
    std::size_t next_progress_ = progress_step;
};

}  // namespace

std::unique_ptr<vdaFile> vdaReader::read(std::string_view text, std::string_view source_name,
                                         const vdaReadOptions& options)
{
    auto file = std::make_unique<vdaFile>();
    vdaSource& source = file->source();
    source.name.assign(source_name);
    char* copy = source.allocate(text.size());
    if (!text.empty())
        std::memcpy(copy, text.data(), text.size());
    FileReader(*file, options).read();
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
    if (std::fread(bytes, 1, size, in.get()) != size)
        throw fail("it ended early or a read failed");
    FileReader(*file, options).read();
    return file;
}
