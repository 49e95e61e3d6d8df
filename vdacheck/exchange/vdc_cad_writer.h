#pragma once

#include <filesystem>

#include <TDocStd_Document.hxx>

#include <vdacheck/exchange/vdc_convert_options.h>
#include <vdacheck/exchange/vdc_exchange_export.h>
#include <vdacheck/util/ut_replace_file.h>

// Writes an XCAF document as STEP (STEPCAFControl_Writer, in AP214 or AP242, millimetres) or IGES
// (IGESCAFControl_Writer), names kept, faces of shells named too. OCCT writes to a path: it is given the
// temporary file of ut_replace_file_at, which then replaces the output, so that no reader sees it half written
// and a failure leaves what was there. OCCT keeps its writers' parameters in process-wide statics: writes are
// made one at a time, and its default messenger's printers are held to failures (it would print statistics on
// standard output). Failures throw vdcConvertError.
class VDC_EXCHANGE_API vdcCadWriter {
public:
    static void write(const Handle(TDocStd_Document) & document, vdcExchangeFormat format, vdcStepSchema schema,
                      const std::filesystem::path& output, const utReplaceOptions& save = {});
};
