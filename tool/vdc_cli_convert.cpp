#include <tool/vdc_cli_convert.h>

#ifdef VDACHECK_CLI_EXCHANGE
#  include <vdacheck/exchange/vdc_convert.h>
#  include <vdacheck/exchange/vdc_run_convert.h>
#endif

std::string vdcCliConvert::suffix(const vdcCliOptions& options) { return '.' + options.to; }

#ifdef VDACHECK_CLI_EXCHANGE

void vdcCliConvert::check_usable(const vdcCliOptions& options)
{
    if (options.to.empty() && !options.output.empty() && !vdc_exchange_format_of(options.output))
        throw vdcUsageError("cannot tell the format of " + options.output +
                            ": name it .stp, .step, .igs, .iges, .glb or .gltf, or give --to step|iges|glb|gltf");
}

vdcRunResult vdcCliConvert::run(vdaFile& file, const vdcRunOptions& run, const vdcCliOptions& options)
{
    vdcConvertOptions convert;
    for (const vdcExchangeFormat f :
         {vdcExchangeFormat::step, vdcExchangeFormat::iges, vdcExchangeFormat::glb, vdcExchangeFormat::gltf})
        if (options.to == vdc_exchange_format_name(f))
            convert.format = f;
    convert.repair = options.repair_first;
    convert.tessellation = run.tessellation;
    return vdc_run_convert(file, run, convert);
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
