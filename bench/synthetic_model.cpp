#include "synthetic_model.h"

#include <charconv>
#include <cstdint>
#include <string_view>

namespace {

// splitmix64: small, fast and the same on every platform.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next()
    {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    double uniform(double lo, double hi) { return lo + (hi - lo) * double(next() >> 11) * 0x1.0p-53; }
    bool percent(int p) { return next() % 100 < std::uint64_t(p); }

private:
    std::uint64_t state_;
};

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
    static std::string name(char kind, long k, int i = -1)
    {
        std::string n(1, kind);
        n += std::to_string(k);
        if (i >= 0)
            n += char('A' + i);
        return n;
    }

    // A trimmed bicubic surface with its four edges, plus the occasional other entity.
    void part(long k)
    {
        const bool in_set = k % 100 == 0;
        if (in_set)
            text_.line(name('B', k) + " = BEGINSET");
        const int patches = k % 5 == 0 ? 2 : 1;
        surf(name('S', k), patches);
        for (int i = 0; i < 4; ++i)
            curve(name('C', k, i));
        for (int i = 0; i < 4; ++i)
            cons(name('N', k, i), name('S', k), name('C', k, i), patches);
        face(name('F', k), name('S', k), k);
        if (k % 7 == 0) {
            point(name('P', k));
            circle(name('R', k));
        }
        if (k % 13 == 0) {
            pset(name('Q', k), 12);
            mdi(name('M', k), 6);
        }
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

    double coefficient() { return random_.percent(1) ? -1.7976931348623157E+308 : random_.uniform(-500.0, 500.0); }

    void surf(const std::string& n, int patches)
    {
        text_.begin(n, "SURF");
        text_.integer(patches);
        text_.integer(patches);
        for (int d = 0; d < 2; ++d)
            for (int i = 0; i <= patches; ++i)
                text_.real(i);
        for (int p = 0; p < patches * patches; ++p) {
            text_.integer(4);
            text_.integer(4);
            for (int c = 0; c < 48; ++c)
                text_.real(coefficient());
        }
        text_.end();
    }

    void curve(const std::string& n)
    {
        const int segments = 1 + int(random_.next() % 3);
        text_.begin(n, "CURVE");
        text_.integer(segments);
        const bool reversed = random_.percent(1);
        for (int i = 0; i <= segments; ++i)
            text_.real(reversed ? segments - i : i);
        for (int s = 0; s < segments; ++s) {
            const int order = random_.percent(1) ? 30 : 4;
            text_.integer(order);
            for (int c = 0; c < 3 * order; ++c)
                text_.real(coefficient());
        }
        text_.end();
    }

    void cons(const std::string& n, const std::string& surface, const std::string& curve, int patches)
    {
        text_.begin(n, "CONS");
        text_.token(surface);
        text_.token(random_.percent(1) ? std::string("MISSING") : curve);
        text_.real(0.0);
        text_.real(1.0);
        text_.integer(1);
        text_.real(0.0);
        text_.real(1.0);
        text_.integer(4);
        for (int c = 0; c < 8; ++c)
            text_.real(random_.uniform(0.0, patches));
        text_.end();
    }

    void face(const std::string& n, const std::string& surface, long k)
    {
        text_.begin(n, "FACE");
        text_.token(surface);
        text_.integer(1);
        text_.integer(4);
        for (int i = 0; i < 4; ++i) {
            text_.token(name('N', k, i));
            text_.real(0.0);
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
    Random random_;
};

}  // namespace

std::string vda_synthetic_model(std::size_t target_bytes) { return Generator(target_bytes).make(target_bytes); }
