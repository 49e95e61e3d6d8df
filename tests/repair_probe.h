#pragma once

// Support for the repair tests and the fix benchmark: a checker whose log and fix-node graph are filled
// in by hand, in the order and shape the entity checks and check() produce them.

#include <initializer_list>
#include <vector>

#include <vdacheck/check/vdc_file_check.h>
#include <vdacheck/check/vdc_fix_node.h>
#include <vdacheck/check/vdc_log.h>
#include <vdacheck/model/vda_cons.h>
#include <vdacheck/model/vda_curve.h>
#include <vdacheck/model/vda_file.h>

// A packet as a sub-check logs it: a literal message, its ints, its doubles and its repair function.
inline vdcErrorPacket make_packet(const char* message, const std::vector<int>& ints = {},
                                  vdcErrorFunction repair = nullptr, const std::vector<double>& doubles = {})
{
    vdcErrorPacket packet;
    packet.set_error_message(ut_lit(message));
    for (int value : ints)
        packet.add_int(value);
    for (double value : doubles)
        packet.add_dbl(value);
    packet.set_error_function(repair);
    return packet;
}

// A packet carrying only the indices a repair reads.
inline vdcErrorPacket indices(const std::vector<int>& ints) { return make_packet("", ints); }

// A space curve of straight segments over the breakpoints [t0, t1], [t1, t2], ...
inline vdaCurve& add_curve(vdaFile& file, const char* name, std::initializer_list<double> breaks)
{
    const std::vector<double> t(breaks);
    std::vector<vdaCurveSegment> segments;
    for (std::size_t i = 1; i < t.size(); ++i)
        segments.emplace_back(t[i - 1], t[i],
                              std::vector<giPoint3>{giPoint3(t[i - 1], 0, 0), giPoint3(t[i] - t[i - 1], 0, 0)});
    return file.create<vdaCurve>(name, std::move(segments));
}

// A cons on `surface` over `curve`, trimmed to [start, end] of the curve, with segments over `breaks`.
inline vdaCons& add_cons(vdaFile& file, const char* name, const char* surface, const char* curve, double start,
                         double end, std::initializer_list<double> breaks)
{
    const std::vector<double> t(breaks);
    std::vector<vdaConsSegment> segments;
    for (std::size_t i = 1; i < t.size(); ++i)
        segments.emplace_back(t[i - 1], t[i], std::vector<giPoint2>{giPoint2(0, 0), giPoint2(1, 0)});
    return file.create<vdaCons>(name, surface, curve, start, end, std::move(segments));
}

class vdcRepairProbe : public vdcFileCheck {
public:
    using vdcFileCheck::fixed_log;

    void log(const utString& name, const vdcErrorPacket& packet) { error_log.save(name, packet); }

    // What check() records once the check of `name` has logged packets: its node, and when the check of
    // `referring` reached it through a reference (or reached it again), that node and the edge too.
    void found(const utString& name) { record({name}); }
    void found(const utString& referring, const utString& name) { record({referring, name}); }

    int distance(const utString& name) const { return fix_nodes.find(name)->get()->distance(); }
    int num_nodes() const { return static_cast<int>(fix_nodes.size()); }

private:
    void record(std::initializer_list<utString> stack)
    {
        name_stack.assign(stack.begin(), stack.end());
        create_fix_nodes();
        name_stack.clear();
    }
};
