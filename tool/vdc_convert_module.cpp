// The tool's convert module: the two entry points vdc_cli_convert.cpp looks up after loading it.
#include <string_view>

#include <tool/vdc_convert_module.h>
#include <vdacheck/exchange/vdc_convert.h>
#include <vdacheck/exchange/vdc_run_convert.h>

bool vdc_convert_knows_format(const char* path) { return vdc_exchange_format_of(path).has_value(); }

void vdc_convert_run(const vdcConvertRequest* request)
{
    vdcConvertOptions convert;
    for (const vdcExchangeFormat f :
         {vdcExchangeFormat::step, vdcExchangeFormat::iges, vdcExchangeFormat::glb, vdcExchangeFormat::gltf})
        if (std::string_view(request->to) == vdc_exchange_format_name(f))
            convert.format = f;
    convert.repair = request->repair;
    convert.tessellation = request->run->tessellation;
    *request->result = vdc_run_convert(*request->file, *request->run, convert);
}
