#include <vdacheck/model/vda_surf.h>

#include <stdexcept>
#include <utility>

const TypeInfo vdaSurf::id{"SURF", &vdaObject::id};

vdaSurf::vdaSurf(const utString& name, int nu, int nv, std::vector<vdaSurfPatch> patches)
    : vdaObject(name), nu_(0), nv_(0)
{
    set_patches(nu, nv, std::move(patches));
}

void vdaSurf::set_patches(int nu, int nv, std::vector<vdaSurfPatch> patches)
{
    const std::size_t expected = (nu > 0 && nv > 0) ? static_cast<std::size_t>(nu) * static_cast<std::size_t>(nv) : 0;
    if (patches.size() != expected)
        throw std::invalid_argument("surface patches do not match its patch counts");
    std::vector<double> u_params, v_params;
    for (int i = 0; i < nu && nv > 0; ++i)
        u_params.push_back(patches[static_cast<std::size_t>(i)].u_start_parameter());
    if (expected > 0)
        u_params.push_back(patches[static_cast<std::size_t>(nu - 1)].u_end_parameter());
    for (int j = 0; j < nv && nu > 0; ++j)
        v_params.push_back(patches[static_cast<std::size_t>(j) * static_cast<std::size_t>(nu)].v_start_parameter());
    if (expected > 0)
        v_params.push_back(patches[static_cast<std::size_t>(nv - 1) * static_cast<std::size_t>(nu)].v_end_parameter());
    nu_ = nu;
    nv_ = nv;
    patches_ = std::move(patches);
    u_params_ = std::move(u_params);
    v_params_ = std::move(v_params);
    mark_changed();
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
