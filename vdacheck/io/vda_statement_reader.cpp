#include <vdacheck/io/vda_statement_reader.h>

#include <algorithm>
#include <type_traits>
#include <utility>

namespace {

constexpr auto quoted = &vdaDiagnostics::quoted;

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

std::string upper(std::string_view word)
{
    std::string s(word);
    for (char& ch : s)
        if (ch >= 'a' && ch <= 'z')
            ch = static_cast<char>(ch - 'a' + 'A');
    return s;
}

}  // namespace

vdaStatementReader::vdaStatementReader(std::string_view text, std::size_t begin, vdaDiagnostics& diagnostics) noexcept
    : diag_(diagnostics), lex_(text, diagnostics, begin), lead_(begin)
{
}

vdaStatement vdaStatementReader::statement(vdaStatement::Kind kind, std::unique_ptr<vdaObject> entity, utString name,
                                           int line, std::size_t body)
{
    vdaStatement s{kind, std::move(entity), std::move(name), line, {lead_, body, lex_.next_offset()}, 0};
    lead_ = lex_.next_offset();
    return s;
}

// --- the frame of the file: HEADER first, then statements up to END

vdaStatement vdaStatementReader::header()
{
    bool warned = false;
    while (lex_.next_record()) {
        const vdaLexer::Record kind = lex_.classify();
        if (kind == vdaLexer::Record::comment && !warned) {
            warned = true;
            if (diag_.listed(vdaWarningKind::comment_before_header))
                diag_.warn(vdaWarningKind::comment_before_header, lex_.line(), 1,
                           "comment before the HEADER statement");
        }
        if (kind != vdaLexer::Record::data)
            continue;
        const std::size_t body = lex_.record_offset();
        const int line = lex_.line();
        const vdaLexer::Head head = lex_.head();
        if (head.word != "HEADER")
            lex_.fail_at(line, head.word_column, "expected the HEADER statement first, found " + quoted(head.word));
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
        const utString name(head.name);
        return statement(vdaStatement::Kind::header, std::make_unique<vdaHeader>(name, std::move(text)), name, line,
                         body);
    }
    diag_.fail(std::max(lex_.line(), 1), 1, "expected the HEADER statement, found the end of the file");
}

bool vdaStatementReader::next(vdaStatement& out)
{
    if (ended_)
        return false;
    while (lex_.next_record()) {
        if (lex_.classify() != vdaLexer::Record::data)
            continue;
        read_statement(out);
        ended_ = out.kind == vdaStatement::Kind::end;
        return true;
    }
    return false;
}

// Reads the statement that starts on the current record.
void vdaStatementReader::read_statement(vdaStatement& out)
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
    utString name(head.name);
    vdaStatement::Kind frame = vdaStatement::Kind::entity;
    switch (command) {
    case Command::header:
        lex_.fail_at(line, head.word_column, "the HEADER must be the first statement of the file");
    case Command::unknown:
    case Command::entity:
        break;
    case Command::end:
        frame = vdaStatement::Kind::end;
        break;
    case Command::beginset:
        frame = vdaStatement::Kind::beginset;
        break;
    case Command::endset:
        frame = vdaStatement::Kind::endset;
        break;
    }
    if (frame != vdaStatement::Kind::entity) {
        lex_.expect_no_parameters();
        out = statement(frame, nullptr, std::move(name), line, body);
        return;
    }
    lex_.expect_parameters();
    std::unique_ptr<vdaObject> entity = read_entity(head.word, name);
    lex_.expect_end();
    out = statement(vdaStatement::Kind::entity, std::move(entity), {}, line, body);
}

// --- entities

// The parameters of an entity statement, read by the overload for its class.
std::unique_ptr<vdaObject> vdaStatementReader::read_entity(std::string_view word, const utString& name)
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
std::unique_ptr<vdaObject> vdaStatementReader::read(Tag<vdaHeader>, const utString&) { return nullptr; }
std::unique_ptr<vdaObject> vdaStatementReader::read(Tag<vdaBeginSet>, const utString&) { return nullptr; }

std::unique_ptr<vdaObject> vdaStatementReader::read(Tag<vdaPoint>, const utString& name)
{
    double v[3];
    reals(v, 3, "coordinates", "coordinate");
    return std::make_unique<vdaPoint>(name, giPoint3(v[0], v[1], v[2]));
}

std::unique_ptr<vdaObject> vdaStatementReader::read(Tag<vdaPset>, const utString& name)
{
    const std::int32_t n = count("number of points");
    point_values(n, 3, "coordinates for ", " points");
    std::vector<giPoint3> points;
    points.reserve(values_.size() / 3);  // what was read, never what the count claims
    for (std::size_t i = 0; i < values_.size(); i += 3)
        points.emplace_back(values_[i], values_[i + 1], values_[i + 2]);
    return std::make_unique<vdaPset>(name, std::move(points));
}

std::unique_ptr<vdaObject> vdaStatementReader::read(Tag<vdaMDI>, const utString& name)
{
    const std::int32_t n = count("number of points");
    point_values(n, 6, "values for ", " points with vectors");
    std::vector<giPoint3> points;
    std::vector<giVector3> vectors;
    points.reserve(values_.size() / 6);
    vectors.reserve(values_.size() / 6);
    for (std::size_t i = 0; i < values_.size(); i += 6) {
        points.emplace_back(values_[i], values_[i + 1], values_[i + 2]);
        vectors.emplace_back(values_[i + 3], values_[i + 4], values_[i + 5]);
    }
    return std::make_unique<vdaMDI>(name, std::move(points), std::move(vectors));
}

std::unique_ptr<vdaObject> vdaStatementReader::read(Tag<vdaCircle>, const utString& name)
{
    double v[12];
    reals(v, 12, "values (centre, radius, plane vectors, start and end angle)", "circle value");
    return std::make_unique<vdaCircle>(name, giPoint3(v[0], v[1], v[2]), v[3], giVector3(v[4], v[5], v[6]),
                                       giVector3(v[7], v[8], v[9]), v[10], v[11]);
}

std::unique_ptr<vdaObject> vdaStatementReader::read(Tag<vdaTmat>, const utString& name)
{
    double v[12];
    reals(v, 12, "values (3x3 matrix row by row, then the translation)", "matrix value");
    return std::make_unique<vdaTmat>(
        name, giXform3({v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8]}, {v[9], v[10], v[11]}));
}

template <class Segment>
std::vector<Segment> vdaStatementReader::read_segments()
{
    constexpr bool space = std::is_same_v<Segment, vdaCurveSegment>;
    constexpr std::size_t dims = space ? 3 : 2;
    const std::int32_t n = count("number of segments");
    breakpoints(n, breaks_, "segment parameters");
    std::vector<Segment> segments;
    segments.reserve(std::size_t(n));  // its n + 1 breakpoints are there: n is backed by values read
    for (std::int32_t s = 0; s < n; ++s) {
        need([&] { return expected(std::uint64_t(n), "segments", std::uint64_t(s)); });
        const std::int32_t order = lex_.integer("order");
        const std::size_t k = order > 0 ? static_cast<std::size_t>(order) : 0;
        coefficients(dims * k, "segment", std::uint64_t(s) + 1);
        std::vector<std::conditional_t<space, giPoint3, giPoint2>> coeffs(k);
        for (std::size_t j = 0; j < k; ++j)
            if constexpr (space)
                coeffs[j] = giPoint3(values_[j], values_[k + j], values_[2 * k + j]);
            else
                coeffs[j] = giPoint2(values_[j], values_[k + j]);
        segments.emplace_back(breaks_[std::size_t(s)], breaks_[std::size_t(s) + 1], order, std::move(coeffs));
    }
    return segments;
}

std::unique_ptr<vdaObject> vdaStatementReader::read(Tag<vdaCurve>, const utString& name)
{
    return std::make_unique<vdaCurve>(name, read_segments<vdaCurveSegment>());
}

std::unique_ptr<vdaObject> vdaStatementReader::read(Tag<vdaSurf>, const utString& name)
{
    const std::int32_t nu = count("number of patches in u");
    const std::int32_t nv = count("number of patches in v");
    // A count of 0 reads no values for its own breakpoint list only; patches need both counts.
    breakpoints(nu, breaks_, "u parameters");
    breakpoints(nv, v_breaks_, "v parameters");
    if (nu == 0 || nv == 0)
        return std::make_unique<vdaSurf>(name, nu, nv, breaks_, v_breaks_);
    std::vector<vdaSurfPatch> patches;
    const std::uint64_t total = std::uint64_t(nu) * std::uint64_t(nv);
    for (std::uint64_t p = 0; p < total; ++p) {
        need([&] { return expected(total, "patches", p); });
        const std::int32_t u_order = lex_.integer("u order");
        need([&] {
            return "expected the v order of patch " + std::to_string(p + 1) + ", found the end of the statement";
        });
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
    return std::make_unique<vdaSurf>(name, nu, nv, std::move(patches));
}

std::unique_ptr<vdaObject> vdaStatementReader::read(Tag<vdaCons>, const utString& name)
{
    need_item("the surface name");
    const utString surface(lex_.name("surface name"));
    need_item("the curve name");
    const utString curve(lex_.name("curve name"));
    need_item("the start parameter on the curve");
    const double start = lex_.real("start parameter");
    need_item("the end parameter on the curve");
    const double end = lex_.real("end parameter");
    return std::make_unique<vdaCons>(name, surface, curve, start, end, read_segments<vdaConsSegment>());
}

std::unique_ptr<vdaObject> vdaStatementReader::read(Tag<vdaFace>, const utString& name)
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

std::unique_ptr<vdaObject> vdaStatementReader::read(Tag<vdaTop>, const utString& name)
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
        need([&] {
            return "expected the continuity of surface pair " + std::to_string(i + 1) +
                   ", found the end of the statement";
        });
        const std::int32_t continuity = lex_.integer("continuity");
        pairs.emplace_back(std::move(first), std::move(second), continuity);
    }
    return std::make_unique<vdaTop>(name, std::move(pairs));
}

std::unique_ptr<vdaObject> vdaStatementReader::read(Tag<vdaGroup>, const utString& name)
{
    return std::make_unique<vdaGroup>(name, read_names("element"));
}

std::unique_ptr<vdaObject> vdaStatementReader::read(Tag<vdaTlist>, const utString& name)
{
    need_item("the name of the transformation matrix");
    const utString tmat(lex_.name("matrix name"));
    return std::make_unique<vdaTlist>(name, tmat, read_names("element"));
}

// A side of a TOP pair; the cursor stands on its face or surface name.
template <class Where>
vdaLinkedSurf vdaStatementReader::linked_surf(Where where)
{
    const utString entity(lex_.name("face or surface name"));
    need([&] { return "expected the number of curves of " + where() + ", found the end of the statement"; });
    return vdaLinkedSurf(entity, trimmed_curves(where));
}

// A count of trimming curves at the cursor, then that many (cons, w1, w2) triples.
template <class Where>
std::vector<vdaTrimmedCurve> vdaStatementReader::trimmed_curves(Where where)
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

std::vector<utString> vdaStatementReader::read_names(const char* what)
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

std::string vdaStatementReader::expected(std::uint64_t total, const std::string& what, std::uint64_t found)
{
    return "expected " + std::to_string(total) + " " + what + ", found " + std::to_string(found);
}

void vdaStatementReader::need_item(const char* what)
{
    need([what] { return std::string("expected ") + what + ", found the end of the statement"; });
}

// A count: a non-negative integer.
std::int32_t vdaStatementReader::count(const char* what)
{
    need([what] { return std::string("expected the ") + what + ", found the end of the statement"; });
    const std::int32_t n = lex_.integer(what);
    if (n < 0)
        lex_.fail_after_last(std::string("the ") + what + " must not be negative, found " + std::to_string(n));
    return n;
}

void vdaStatementReader::reals(double* out, int n, const char* plural, const char* singular)
{
    for (int i = 0; i < n; ++i) {
        need([&] { return expected(std::uint64_t(n), plural, std::uint64_t(i)); });
        out[i] = lex_.real(singular);
    }
}

// The reals of `n` points, `per_point` each (3 coordinates, then any vector components), into values_.
// A list cut short names what the count promised ("<before>n<after>") and how many values were found;
// the message is built only then.
void vdaStatementReader::point_values(std::int32_t n, int per_point, const char* before, const char* after)
{
    values_.clear();
    const std::uint64_t total = std::uint64_t(n) * std::uint64_t(per_point);
    for (std::uint64_t i = 0; i < total; ++i) {
        need([&] { return expected(total, before + std::to_string(n) + after, i); });
        values_.push_back(lex_.real(i % std::uint64_t(per_point) < 3 ? "coordinate" : "vector component"));
    }
}

// n + 1 breakpoints of n segments or patches (none for n = 0).
void vdaStatementReader::breakpoints(std::int32_t n, std::vector<double>& out, const char* what)
{
    out.clear();
    if (n <= 0)
        return;
    const std::uint64_t total = std::uint64_t(n) + 1;
    if (const std::uint64_t found = lex_.reals(out, total, "parameter"); found < total)
        lex_.fail_after_last(expected(total, what, found));
}

// `total` coefficients of segment or patch `index` into values_, which grows only as values are actually
// present.
void vdaStatementReader::coefficients(std::uint64_t total, const char* owner, std::uint64_t index)
{
    values_.clear();
    if (const std::uint64_t found = lex_.reals(values_, total, "coefficient"); found < total)
        lex_.fail_after_last(
            expected(total, "coefficients for " + std::string(owner) + " " + std::to_string(index), found));
}
