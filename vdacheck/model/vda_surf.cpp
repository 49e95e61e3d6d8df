#include <vdacheck/model/vda_surf.h>

#include <stdexcept>
#include <utility>

const TypeInfo vdaSurf::id{"SURF", &vdaObject::id};

vdaSurf::vdaSurf(const utString& name, int nu, int nv, std::vector<vdaSurfPatch> patches)
    : vdaObject(name), nu_(nu), nv_(nv), patches_(std::move(patches))
{
    const std::size_t expected = (nu > 0 && nv > 0) ? static_cast<std::size_t>(nu) * static_cast<std::size_t>(nv) : 0;
    if (patches_.size() != expected)
        throw std::invalid_argument("surface patches do not match its patch counts");
    if (expected == 0)
        return;
    for (int i = 0; i < nu; ++i)
        u_params_.push_back(patch(i, 0).u_start_parameter());
    u_params_.push_back(patch(nu - 1, 0).u_end_parameter());
    for (int j = 0; j < nv; ++j)
        v_params_.push_back(patch(0, j).v_start_parameter());
    v_params_.push_back(patch(0, nv - 1).v_end_parameter());
}

vdaSurf::vdaSurf(const utString& name, int nu, int nv, std::vector<double> u_parameters,
                 std::vector<double> v_parameters)
    : vdaObject(name), nu_(nu), nv_(nv), u_params_(std::move(u_parameters)), v_params_(std::move(v_parameters))
{
    const auto breakpoints = [](int n) { return n > 0 ? static_cast<std::size_t>(n) + 1 : 0; };
    if (nu > 0 && nv > 0)
        throw std::invalid_argument("a surface with patches is built from its patches");
    if (u_params_.size() != breakpoints(nu) || v_params_.size() != breakpoints(nv))
        throw std::invalid_argument("surface breakpoints do not match its patch counts");
}
