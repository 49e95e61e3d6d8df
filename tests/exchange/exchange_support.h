#pragma once

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <vdacheck/vdacheck.h>

#include "random_model.h"
#include "synthetic_model.h"

// The models the exchange tests convert: the real samples, the bundled bracket (repaired: as read, its faces
// are faulty), a small synthetic model of the benchmarks' kind, random models of every degree and closed
// surfaces.
namespace vdatest {

struct Model {
    std::string name;
    std::unique_ptr<vdaFile> file;
    bool repair = false;
};

inline std::vector<Model> exchange_models()
{
    const std::string source = VDACHECK_SOURCE_DIR;
    std::vector<Model> models;
    for (const char* sample : {"OpenVDAFS__CURVE_SP1.vda", "OpenVDAFS__FC267.vda", "OpenVDAFS__SURF_FLAE0001.vda"})
        models.push_back({sample, vdaReader::load(source + "/tests/data/samples/" + sample)});
    models.push_back({"bracket", vdaReader::load(source + "/examples/bracket.vda"), true});
    models.push_back({"synthetic", vdaReader::read(vda_synthetic_model(200'000), "synthetic.vda"), true});
    for (std::uint64_t seed = 1; seed <= 3; ++seed)
        models.push_back({"random" + std::to_string(seed), vdatest_random_model(seed, 4)});
    models.push_back({"cylinder", vdatest_cylinder_model()});
    return models;
}

// The diagonal of the box around every coefficient, patch and point: the model's size.
inline double model_size(const vdaFile& file)
{
    double lo[3] = {INFINITY, INFINITY, INFINITY}, hi[3] = {-INFINITY, -INFINITY, -INFINITY};
    const auto add = [&](const giPoint3& p) {
        const double c[3] = {p.x(), p.y(), p.z()};
        for (int i = 0; i < 3; ++i)
            if (std::isfinite(c[i]) && std::abs(c[i]) < 1e12) {
                lo[i] = std::min(lo[i], c[i]);
                hi[i] = std::max(hi[i], c[i]);
            }
    };
    for (const vdaObject& e : file) {
        if (const vdaSurf* surf = vda_cast<vdaSurf>(&e))
            if (const auto s = vdaSurfEval::make(*surf))
                for (double u : {s->u_start(), s->u_end()})
                    for (double v : {s->v_start(), s->v_end()})
                        add(s->point(u, v));
        if (const vdaCurve* c = vda_cast<vdaCurve>(&e))
            if (const auto eval = vdaCurveEval::make(*c))
                for (int i = 0; i <= eval->num_segments(); ++i)
                    add(eval->point(eval->breakpoint(i)));
    }
    double d = 0.0;
    for (int i = 0; i < 3; ++i)
        if (hi[i] >= lo[i])
            d += (hi[i] - lo[i]) * (hi[i] - lo[i]);
    return std::max(std::sqrt(d), 1.0);
}

inline std::unique_ptr<vdaFile> read_text(std::string_view text) { return vdaReader::read(text, "test.vda"); }

// A fresh folder for a test's files.
inline std::filesystem::path scratch(const std::string& name)
{
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / ("vdacheck-exchange-" + name);
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

}  // namespace vdatest
