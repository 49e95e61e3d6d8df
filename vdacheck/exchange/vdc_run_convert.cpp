#include <vdacheck/exchange/vdc_run_convert.h>

#include <cmath>
#include <exception>
#include <filesystem>
#include <string_view>

#include <vdacheck/exchange/vdc_convert.h>
#include <vdacheck/model/vda_current_file.h>
#include <vdacheck/model/vda_file.h>
#include <vdacheck/model/vda_types.h>
#include <vdacheck/rules/vdc_rules.h>
#include <vdacheck/run/vdc_run.h>

namespace {

// The command word of the entity types, which lives as long as the program (problems view it).
std::string_view command_word(std::string_view word)
{
    std::string_view found;
    vdaEntityTypes::any([&]<class T>() {
        if (word != T::id.command_word())
            return false;
        found = T::id.command_word();
        return true;
    });
    return found;
}

// An entity left out, as a problem of its rule at the profile's severity; a rule switched off still lists it,
// as a note.
vdcProblem left_out(const vdcLeftOutEntity& e, const vdcProfile& profile)
{
    vdcProblem p;
    p.rule = vdc_find_rule(e.rule);
    p.severity = !p.rule                    ? vdcSeverity::error
                 : profile.enabled(*p.rule) ? profile.severity(*p.rule)
                                            : vdcSeverity::note;
    p.entity = utString(e.entity);
    p.type = command_word(e.type);
    p.line = e.line;
    p.message = utString(e.reason);
    if (!std::isnan(e.value)) {
        p.value = e.value;
        p.tolerance = e.tolerance;
    }
    return p;
}

bool none_fails(const std::vector<vdcProblem>& problems)
{
    for (const vdcProblem& p : problems)
        if (p.fails())
            return false;
    return true;
}

}  // namespace

vdcRunResult vdc_run_convert(vdaFile& file, const vdcRunOptions& options, vdcConvertOptions convert)
{
    const vdaCurrentFile current(file);
    vdcRunResult result;
    if (convert.repair) {
        vdcRunOptions repair = options;
        repair.output.clear();
        result = vdcRun(repair).repair(file);
        convert.repair = false;
    } else {
        result = vdcRun(options).start(vdcCommand::convert, file);
    }
    result.command = vdcCommand::convert;
    convert.tolerances = options.profile.quality();
    convert.threads = options.threads;
    convert.save = options.save;
    convert.cancel = options.cancel;
    if (const auto format = convert.format ? convert.format : vdc_exchange_format_of(options.output))
        result.format = vdc_exchange_format_name(*format);
    try {
        if (options.output.empty() || options.output == "-")
            throw vdcConvertError(options.output.empty() ? "no output file to convert to"
                                                         : "a conversion writes a file, not standard output");
        if (options.make_folders && options.output.has_parent_path())
            std::filesystem::create_directories(options.output.parent_path());
        const vdcConvertResult converted = vdc_convert(file, options.output, convert);
        result.exported = converted.exported;
        result.left_out.reserve(converted.left_out.size());
        for (const vdcLeftOutEntity& e : converted.left_out)
            result.left_out.push_back(left_out(e, options.profile));
        result.counts = converted.counts;
        if (converted.written)
            result.saved_to = options.output.string();
        else
            result.output_error = converted.message;
    } catch (const utCancelled&) {
        throw;
    } catch (const std::exception& e) {
        result.output_error = e.what();
    }
    result.entities = file.size();
    result.clean = result.output_error.empty() && none_fails(result.left_out) && none_fails(result.warnings);
    return result;
}
