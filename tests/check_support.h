#pragma once

// Building small models in code and reading back what the checker logged, for the check tests.

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include <vdacheck/vdacheck.h>

#include "checker_probe.h"

constexpr double max_d = std::numeric_limits<double>::max();
constexpr double nan_d = std::numeric_limits<double>::quiet_NaN();

// A packet as the tests compare it: message, ints, doubles, repair function.
struct Packet {
    Packet(std::string m, std::vector<int> i = {}, std::vector<double> d = {}, vdcErrorFunction f = nullptr)
        : message(std::move(m)), ints(std::move(i)), doubles(std::move(d)), repair(f)
    {
    }
    std::string message;
    std::vector<int> ints;
    std::vector<double> doubles;
    vdcErrorFunction repair;
    friend bool operator==(const Packet&, const Packet&) = default;
};
using Packets = std::vector<Packet>;

inline std::ostream& operator<<(std::ostream& out, const Packet& p)
{
    out << '"' << p.message << '"';
    for (int i : p.ints)
        out << " [" << i << ']';
    for (double d : p.doubles)
        out << ' ' << d;
    return out << (p.repair ? " +repair" : "");
}

// A model built in code with a checker over it.
struct Model {
    vdaFile file;
    CheckerProbe checker;

    vdcLog& error_log() { return vdcFileCheckAcc(&checker).error_log(); }
    vdcLog& fixed_log() { return vdcFileCheckAcc(&checker).fixed_log(); }
    Packets logged(const char* name, bool fixed = false)
    {
        Packets out;
        (fixed ? fixed_log() : error_log()).for_each_packet(utString(name), [&](const vdcErrorPacket& p) {
            Packet& q = out.emplace_back(Packet{std::string(p.error_message().view()), {}, {}, p.error_function()});
            for (int i = 0; i < p.num_int(); ++i)
                q.ints.push_back(p.get_int(i));
            for (int i = 0; i < p.num_dbl(); ++i)
                q.doubles.push_back(p.get_dbl(i));
        });
        return out;
    }
    // Checks the entity of that name on its own and returns what is logged under it.
    Packets check(const char* name)
    {
        checker.check(vdaObjectPtr(file.find(utString(name))));
        return logged(name);
    }
    template <class T, class... Args>
    T& add(Args&&... args)
    {
        return file.create<T>(std::forward<Args>(args)...);
    }

    // Clean entities: a curve and a cons over [0, 1] (two segments), a one-patch surface.
    vdaCurve& curve(const char* name)
    {
        return add<vdaCurve>(name, std::vector{curve_segment(0, 0.5), curve_segment(0.5, 1)});
    }
    vdaSurf& surf(const char* name) { return add<vdaSurf>(name, 1, 1, std::vector{patch(0, 1, 0, 1)}); }
    vdaCons& cons(const char* name, const char* surf, const char* curve)
    {
        return add<vdaCons>(name, surf, curve, 0.0, 1.0, std::vector{cons_segment(0, 0.5), cons_segment(0.5, 1)});
    }

    static vdaCurveSegment curve_segment(double t0, double t1, int order = 2)
    {
        return vdaCurveSegment(t0, t1, order, std::vector<giPoint3>(std::size_t(order), giPoint3(1, 2, 3)));
    }
    static vdaConsSegment cons_segment(double t0, double t1, int order = 2)
    {
        return vdaConsSegment(t0, t1, order, std::vector<giPoint2>(std::size_t(order), giPoint2(0.5, 0.5)));
    }
    static vdaSurfPatch patch(double u0, double u1, double v0, double v1, int uo = 2, int vo = 2,
                              giPoint3 c = giPoint3(1, 2, 3))
    {
        return vdaSurfPatch(u0, u1, v0, v1, uo, vo, std::vector<giPoint3>(std::size_t(uo * vo), c));
    }
};

// One row of a table of cases: how to build the entity "E" (and what it refers to), and what the
// checker must log under "E".
struct Case {
    const char* what;
    std::function<void(Model&)> build;
    Packets expected;
};

inline void run_cases(const std::vector<Case>& cases)
{
    for (const Case& c : cases) {
        Model m;
        c.build(m);
        EXPECT_EQ(m.check("E"), c.expected) << c.what;
    }
}
