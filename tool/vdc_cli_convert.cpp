#include <tool/vdc_cli_convert.h>

#ifdef VDACHECK_CLI_EXCHANGE
#  ifdef VDACHECK_CONVERT_MODULE_INSTALLED
#    include <dlfcn.h>
#  endif

#  include <filesystem>
#  include <system_error>
#  include <vector>

#  include <tool/vdc_convert_module.h>
#endif

std::string vdcCliConvert::suffix(const vdcCliOptions& options) { return '.' + options.to; }

#ifdef VDACHECK_CLI_EXCHANGE

namespace {

namespace fs = std::filesystem;

// The convert module, loaded once for the process, the first time convert is asked for; never unloaded
// (OCCT keeps process-wide state that outlives any handle). A static build has it linked in.
struct ConvertModule {
    vdcConvertKnowsFormat knows_format = nullptr;
    vdcConvertRun run = nullptr;
    std::string error;  // why it could not be loaded
};

#  ifdef VDACHECK_CONVERT_MODULE_INSTALLED
ConvertModule load()
{
    // Beside the tool in the build tree; where the install puts it, relative to the installed tool.
    std::error_code failed;
    const fs::path folder = fs::read_symlink("/proc/self/exe", failed).parent_path();
    const std::vector<fs::path> places{folder / "vdacheck-convert.so", folder / VDACHECK_CONVERT_MODULE_INSTALLED};
    ConvertModule module;
    for (const fs::path& place : places) {
        if (!fs::exists(place, failed))
            continue;
        void* handle = dlopen(place.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle) {
            module.error = dlerror();
            return module;
        }
        module.knows_format = reinterpret_cast<vdcConvertKnowsFormat>(dlsym(handle, vdc_convert_knows_format_symbol));
        module.run = reinterpret_cast<vdcConvertRun>(dlsym(handle, vdc_convert_run_symbol));
        if (!module.knows_format || !module.run)
            module.error = place.string() + " is not vdacheck's convert module";
        return module;
    }
    module.error =
        "vdacheck-convert.so is neither beside the tool nor in " + places[1].parent_path().lexically_normal().string();
    return module;
}
#  else
// Linked into the tool.
ConvertModule load() { return {&vdc_convert_knows_format, &vdc_convert_run, {}}; }
#  endif

const ConvertModule& convert_module()
{
    static const ConvertModule module = load();
    return module;
}

}  // namespace

void vdcCliConvert::check_usable(const vdcCliOptions& options)
{
    const ConvertModule& module = convert_module();
    if (!module.error.empty())
        throw vdcUsageError("convert cannot load its module: " + module.error);
    if (options.to.empty() && !options.output.empty() && !module.knows_format(options.output.c_str()))
        throw vdcUsageError("cannot tell the format of " + options.output +
                            ": name it .stp, .step, .igs, .iges, .glb or .gltf, or give --to step|iges|glb|gltf");
}

vdcRunResult vdcCliConvert::run(vdaFile& file, const vdcRunOptions& run, const vdcCliOptions& options)
{
    vdcRunResult result;
    const vdcConvertRequest request{&file, &run, options.to.c_str(), options.repair_first, &result};
    convert_module().run(&request);
    return result;
}

#else

void vdcCliConvert::check_usable(const vdcCliOptions&)
{
    throw vdcUsageError("convert needs the exchange library, which this build of vdacheck leaves out "
                        "(configured with -DVDACHECK_BUILD_EXCHANGE=OFF)");
}

// Never reached: check_usable stops the run first.
vdcRunResult vdcCliConvert::run(vdaFile&, const vdcRunOptions&, const vdcCliOptions&) { return {}; }

#endif
