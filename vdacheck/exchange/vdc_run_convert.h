#pragma once

#include <vdacheck/exchange/vdc_convert_options.h>
#include <vdacheck/exchange/vdc_exchange_export.h>
#include <vdacheck/run/vdc_run_options.h>
#include <vdacheck/run/vdc_run_result.h>

class vdaFile;

// Conversion as one more command of the run library, as the tool and the Python module run it: writes the
// model to options.output as STEP, IGES or glTF (convert.format, else the output's suffix) and returns the
// run library's result with command `convert`: the model's name and reader warnings, every entity exported
// (and as what) or left out (once per reason, as a problem of its rule at the profile's severity; a rule the
// profile switches off is listed all the same, as a note: nothing is left out unsaid), what the output holds,
// and `clean`: written, with nothing left out that fails. With convert.repair the model is repaired first as
// vdcRun::repair repairs it (which changes it; its rounds, repairs and deletions are in the result). The gap
// tolerances are the profile's quality tolerances; the threads, the temporary files and whether folders are
// made come from `options`, and so does `cancel`, which stops it part way (utCancelled; nothing is written).
// A format that cannot be told, an output that cannot be written (or "-") and a model with nothing to
// convert set result.output_error, and nothing is written; nothing else throws but std::bad_alloc.
//     vdcRunOptions options;
//     options.output = "part.step";
//     const vdcRunResult result = vdc_run_convert(*file, options);
//     for (const vdcProblem& p : result.left_out) std::cout << p.entity.view() << ": " << p.message.view() << '\n';
VDC_EXCHANGE_API vdcRunResult vdc_run_convert(vdaFile& file, const vdcRunOptions& options,
                                              vdcConvertOptions convert = {});
