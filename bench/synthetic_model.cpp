#include "synthetic_model.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <numbers>
#include <string_view>

#include <vdacheck/io/vda_reader.h>
#include <vdacheck/model/vda_file.h>

#include "synthetic_random.h"

namespace {

// Appends statements with values laid out as CAD exports do: comma-separated, continued on records of at
// most 72 columns.
class Text {
public:
    explicit Text(std::size_t reserve) { out_.reserve(reserve + 4096); }

    void begin(std::string_view name, std::string_view word)
    {
        out_.append(name).append(" = ").append(word).append(" /");
        column_ = name.size() + word.size() + 5;
        first_ = true;
    }
    void token(std::string_view t)
    {
        if (!first_)
            out_ += ',';
        if (column_ + t.size() + 3 > 72) {
            out_ += "\n ";
            column_ = 1;
        } else {
            out_ += ' ';
            ++column_;
        }
        out_.append(t);
        column_ += t.size() + 1;
        first_ = false;
    }
    void integer(long v)
    {
        char s[24];
        token({s, std::size_t(std::to_chars(s, s + sizeof s, v).ptr - s)});
    }
    void real(double v)
    {
        char s[40];
        char* end = std::to_chars(s, s + sizeof s, v, std::chars_format::scientific, 16).ptr;
        for (char* p = s; p < end; ++p)
            if (*p == 'e')
                *p = 'E';
        token({s, std::size_t(end - s)});
    }
    void end() { out_ += '\n'; }
    void line(std::string_view text) { out_.append(text).append("\n"); }

    std::size_t size() const { return out_.size(); }
    std::string take() { return std::move(out_); }

private:
    std::string out_;
    std::size_t column_ = 0;
    bool first_ = true;
};

// Polynomials of degree at most 3: in one variable (coefficient k of u^k), and in two (m[p][q] of a^p b^q).
using Poly1 = std::array<double, 4>;
using Poly2 = std::array<Poly1, 4>;

// (c0 + c1 u)^p for p <= 3.
Poly1 power(double c0, double c1, int p)
{
    Poly1 out{1, 0, 0, 0};
    for (int i = 0; i < p; ++i) {
        Poly1 next{};
        for (int k = 0; k < 3; ++k) {
            next[k] += out[k] * c0;
            next[k + 1] += out[k] * c1;
        }
        out = next;
    }
    return out;
}

// f(alpha + beta u, gamma + delta v) as a polynomial in u and v.
Poly2 substitute(const Poly2& f, double alpha, double beta, double gamma, double delta)
{
    Poly2 out{};
    for (int p = 0; p < 4; ++p)
        for (int q = 0; p + q < 4; ++q) {
            const Poly1 pa = power(alpha, beta, p), pb = power(gamma, delta, q);
            for (int k = 0; k <= p; ++k)
                for (int l = 0; l <= q; ++l)
                    out[k][l] += f[p][q] * pa[k] * pb[l];
        }
    return out;
}

// f(a0 + a1 u, b0 + b1 u): f restricted to a straight line of its plane (total degree at most 3), the
// terms u^k v^l of the substitution gathered where v = u.
Poly1 along(const Poly2& f, double a0, double a1, double b0, double b1)
{
    const Poly2 g = substitute(f, a0, a1, b0, b1);
    Poly1 out{};
    for (int k = 0; k < 4; ++k)
        for (int l = 0; k + l < 4; ++l)
            out[k + l] += g[k][l];
    return out;
}

// The geometry of one part over its normalised square (a, b) in [0, 1]^2, and the lines of that square
// along which its boundary curves run.
struct Shape {
    Poly2 x{}, y{}, z{};
};
struct Edge {
    double a0, b0, a1, b1;  // the space curve runs from (a0, b0) to (a1, b1)
    bool reversed;          // the cons runs the other way
};
constexpr std::array<Edge, 4> edges = {{
    {0, 0, 1, 0, false},  // bottom, b = 0
    {1, 0, 1, 1, false},  // right, a = 1
    {0, 1, 1, 1, true},   // top, b = 1: the cons runs from right to left
    {0, 0, 0, 1, true},   // left, a = 0: the cons runs downwards
}};

class Generator {
public:
    explicit Generator(std::size_t target) : text_(target), random_(20240611) {}

    std::string make(std::size_t target)
    {
        text_.begin("SYNTH", "HEADER");
        text_.integer(2);
        text_.end();
        text_.line("VDAFS VERSION     :  2.0");
        text_.line("SENDING SYSTEM    :  VDACHECK SYNTHETIC MODEL");
        for (long k = 0; text_.size() < target; ++k)
            part(k);
        text_.line("SYNTH = END");
        return text_.take();
    }

private:
    static constexpr double width = 100.0;  // every part is 100 mm square in plan
    static constexpr int parts_per_row = 10;

    static std::string name(char kind, long k, int i = -1)
    {
        std::string n(1, kind);
        n += std::to_string(k);
        if (i >= 0)
            n += char('A' + i);
        return n;
    }

    // Parts come in rows of ten, stacked in y, each row a smooth cubic height field: neighbours in a row
    // share their common edge, which the topology entities link.
    Shape shape(long k)
    {
        const long row = k / parts_per_row;
        const int place = int(k % parts_per_row);
        if (place == 0)
            for (int p = 0; p < 4; ++p)
                for (int q = 0; p + q < 4; ++q)
                    height_[p][q] = random_.uniform(-20.0, 20.0);
        Shape s;
        s.x[0][0] = double(row % 100) * 120.0;
        s.x[1][0] = width;
        s.y[0][0] = double(row / 100) * 1100.0 + width * place;
        s.y[0][1] = width;
        s.z = substitute(height_, 0.0, 1.0, double(place) / parts_per_row, 1.0 / parts_per_row);
        // Geometric faults of a few percent of the parts. A part whose bottom edge a topology entity
        // links now and then meets its neighbour at a kink; a part that no topology entity touches now and
        // then collapses its top edge to a point (a flat triangle).
        if (place == parts_per_row - 1 && random_.percent(10)) {
            s.z[0][1] += std::tan(0.5 * std::numbers::pi / 180.0) * width;
        } else if (place < parts_per_row - 2 && random_.percent(1)) {
            s.x[1][1] = -width;
            s.z = Poly2{};
            s.z[0][0] = random_.uniform(-20.0, 20.0);
        }
        return s;
    }

    // A trimmed bicubic surface with its four edges, plus the occasional other entity.
    void part(long k)
    {
        const bool in_set = k % 100 == 0;
        if (in_set)
            text_.line(name('B', k) + " = BEGINSET");
        const int patches = k % 5 == 0 ? 2 : 1;
        const Shape s = shape(k);
        surf(name('S', k), s, patches);
        std::array<int, 4> segments{};
        for (int i = 0; i < 4; ++i)
            segments[std::size_t(i)] = curve(name('C', k, i), s, edges[std::size_t(i)]);
        for (int i = 0; i < 4; ++i)
            cons(name('N', k, i), name('S', k), name('C', k, i), patches, edges[std::size_t(i)],
                 segments[std::size_t(i)]);
        face(name('F', k), name('S', k), k);
        if (k % 7 == 0) {
            point(name('P', k));
            circle(name('R', k));
        }
        if (k % 13 == 0) {
            pset(name('Q', k), 12);
            mdi(name('M', k), 6);
        }
        // The bottom edge of the last part of a row meets the top edge of the part before it.
        if (k % 10 == 9)
            top(name('T', k), name('F', k), name('F', k - 1), name('N', k, 0), name('N', k - 1, 2));
        if (k % 50 == 0) {
            text_.begin(name('G', k), "GROUP");
            text_.integer(3);
            text_.token(name('S', k));
            text_.token(name('F', k));
            text_.token(name('C', k, 0));
            text_.end();
            tmat(name('X', k));
            text_.begin(name('L', k), "TLIST");
            text_.token(name('X', k));
            text_.integer(2);
            text_.token(name('S', k));
            text_.token(name('C', k, 1));
            text_.end();
        }
        if (in_set)
            text_.line(name('B', k) + " = ENDSET");
    }

    static constexpr double invalid = -1.7976931348623157E+308;

    double coefficient() { return random_.percent(1) ? invalid : random_.uniform(-500.0, 500.0); }

    // One entity in a hundred holds the invalid-value sentinel in one of its `count` coefficients: the
    // position, or -1.
    int sentinel_at(int count) { return random_.percent(1) ? int(random_.next() % std::uint64_t(count)) : -1; }

    // Bicubic patches that join exactly: the part's shape re-expanded on each patch. One 2 x 2 surface in
    // twenty has a patch lifted by 0.05 mm.
    void surf(const std::string& n, const Shape& s, int patches)
    {
        text_.begin(n, "SURF");
        text_.integer(patches);
        text_.integer(patches);
        for (int d = 0; d < 2; ++d)
            for (int i = 0; i <= patches; ++i)
                text_.real(i);
        const int sentinel = sentinel_at(patches * patches * 48);
        const bool lifted = patches == 2 && random_.percent(5);
        const double h = 1.0 / patches;
        for (int p = 0; p < patches * patches; ++p) {
            text_.integer(4);
            text_.integer(4);
            const int i = p % patches, j = p / patches;
            int c = p * 48;
            for (const Poly2* f : {&s.x, &s.y, &s.z}) {
                Poly2 local = substitute(*f, i * h, h, j * h, h);
                if (lifted && f == &s.z && p == 3)
                    local[0][0] += 0.05;
                for (int l = 0; l < 4; ++l)
                    for (int q = 0; q < 4; ++q, ++c)
                        text_.real(c == sentinel ? invalid : local[q][l]);
            }
        }
        text_.end();
    }

    // The space curve of one edge of the part, in 1 to 3 segments over the breakpoints 0, 1, ...; returns
    // the number of segments. Two curves in a hundred lie 0.1 mm above their edge.
    int curve(const std::string& n, const Shape& s, const Edge& e)
    {
        const int segments = 1 + int(random_.next() % 3);
        text_.begin(n, "CURVE");
        text_.integer(segments);
        const bool reversed = random_.percent(1);
        for (int i = 0; i <= segments; ++i)
            text_.real(reversed ? segments - i : i);
        const bool lifted = random_.percent(2);
        const int order = random_.percent(1) ? 30 : 4;
        const int sentinel = sentinel_at(segments * 12);
        const double da = (e.a1 - e.a0) / segments, db = (e.b1 - e.b0) / segments;
        int c = 0;
        for (int q = 0; q < segments; ++q) {
            text_.integer(q == 0 ? order : 4);
            const int written = q == 0 ? order : 4;
            for (const Poly2* f : {&s.x, &s.y, &s.z}) {
                Poly1 coeffs = along(*f, e.a0 + q * da, da, e.b0 + q * db, db);
                if (lifted && f == &s.z)
                    coeffs[0] += 0.1;
                for (int i = 0; i < written; ++i, ++c)
                    text_.real(c == sentinel ? invalid : i < 4 ? coeffs[std::size_t(i)] : 0.0);
            }
        }
        text_.end();
        return segments;
    }

    // The edge in the surface's parameters, mapped onto its whole space curve.
    void cons(const std::string& n, const std::string& surface, const std::string& curve, int patches, const Edge& e,
              int segments)
    {
        text_.begin(n, "CONS");
        text_.token(surface);
        text_.token(random_.percent(1) ? std::string("MISSING") : curve);
        text_.real(e.reversed ? segments : 0.0);
        text_.real(e.reversed ? 0.0 : segments);
        text_.integer(1);
        text_.real(0.0);
        text_.real(1.0);
        text_.integer(4);
        const double s0 = (e.reversed ? e.a1 : e.a0) * patches, t0 = (e.reversed ? e.b1 : e.b0) * patches;
        const double s1 = (e.reversed ? e.a0 : e.a1) * patches, t1 = (e.reversed ? e.b0 : e.b1) * patches;
        for (double v : {s0, s1 - s0, 0.0, 0.0, t0, t1 - t0, 0.0, 0.0})
            text_.real(v);
        text_.end();
    }

    // The face bounded by its surface's whole domain. One in a hundred leaves a 0.1 mm gap before its
    // third piece.
    void face(const std::string& n, const std::string& surface, long k)
    {
        text_.begin(n, "FACE");
        text_.token(surface);
        text_.integer(1);
        text_.integer(4);
        const bool gap = random_.percent(1);
        for (int i = 0; i < 4; ++i) {
            text_.token(name('N', k, i));
            text_.real(gap && i == 2 ? 0.001 : 0.0);
            text_.real(random_.percent(2) ? 1.5 : 1.0);
        }
        text_.end();
    }

    void top(const std::string& n, const std::string& f1, const std::string& f2, const std::string& c1,
             const std::string& c2)
    {
        text_.begin(n, "TOP");
        text_.integer(1);
        for (const std::string* side : {&f1, &f2}) {
            text_.token(*side);
            text_.integer(1);
            text_.token(side == &f1 ? c1 : c2);
            text_.real(0.0);
            text_.real(1.0);
        }
        text_.integer(random_.percent(3) ? 7 : 1);
        text_.end();
    }

    void point(const std::string& n)
    {
        text_.begin(n, "POINT");
        for (int c = 0; c < 3; ++c)
            text_.real(coefficient());
        text_.end();
    }

    void circle(const std::string& n)
    {
        text_.begin(n, "CIRCLE");
        for (int c = 0; c < 3; ++c)
            text_.real(random_.uniform(-500.0, 500.0));
        text_.real(random_.uniform(1.0, 50.0));
        const double scale = random_.percent(3) ? 2.0 : 1.0;
        for (double v : {scale, 0.0, 0.0, 0.0, 1.0, 0.0, 0.0, 270.0})
            text_.real(v);
        text_.end();
    }

    void pset(const std::string& n, int points)
    {
        text_.begin(n, "PSET");
        text_.integer(points);
        for (int c = 0; c < 3 * points; ++c)
            text_.real(coefficient());
        text_.end();
    }

    void mdi(const std::string& n, int points)
    {
        text_.begin(n, "MDI");
        text_.integer(points);
        for (int c = 0; c < 6 * points; ++c)
            text_.real(coefficient());
        text_.end();
    }

    void tmat(const std::string& n)
    {
        text_.begin(n, "TMAT");
        for (double v : {0.0, -1.0, 0.0, 1.0, 0.0, 0.0, 0.0, 0.0, 1.0})
            text_.real(v);
        for (int c = 0; c < 3; ++c)
            text_.real(random_.uniform(-100.0, 100.0));
        text_.end();
    }

    Text text_;
    SyntheticRandom random_;
    Poly2 height_{};  // the height field of the current row of parts
};

}  // namespace

std::string vda_synthetic_model(std::size_t target_bytes) { return Generator(target_bytes).make(target_bytes); }

const std::string& vda_bench_model_text()
{
    static const std::string text = [] {
        const char* mb = std::getenv("VDACHECK_BENCH_MB");
        return vda_synthetic_model(std::size_t(mb ? std::atol(mb) : 200) << 20);
    }();
    return text;
}

const vdaFile& vda_bench_model()
{
    static const std::unique_ptr<vdaFile> file = vdaReader::read(vda_bench_model_text(), "synthetic.vda");
    return *file;
}
