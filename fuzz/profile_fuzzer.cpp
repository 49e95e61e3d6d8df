// Profiles and the JSON under them, on any input: the reader refuses with its own exception only; what it
// reads, the writer writes so that it reads back to the same text; and a profile the library accepts keeps
// every tolerance within its rule's range.
#include <cmath>
#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>

#include <vdacheck/rules/vdc_rules.h>
#include <vdacheck/run/vdc_profile.h>
#include <vdacheck/util/ut_json_reader.h>
#include <vdacheck/util/ut_json_writer.h>

#include "fuzz_support.h"

namespace {

std::string written(const utJsonValue& value)
{
    std::ostringstream out;
    utJsonWriter json(out);
    value.write(json);
    return out.str();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        const std::string once = written(utJsonReader::parse(text));
        std::string twice;
        try {
            twice = written(utJsonReader::parse(once));
        } catch (const utJsonError& e) {
            fuzz_fail("the reader refuses what the writer wrote", std::string(e.what()) + "\n" + once);
        }
        if (twice != once)
            fuzz_fail("read back to another text", once + "\n" + twice);
    } catch (const utJsonError&) {
    }
    try {
        const vdcProfile profile = vdcProfile::parse(text, "fuzz.json");
        for (const vdcRule& rule : vdc_rules()) {
            const double t = profile.tolerance(rule);
            if (!std::isfinite(t) || t < 0.0 || (rule.unit == "deg" && t > 180.0))
                fuzz_fail("a tolerance out of its rule's range", std::string(rule.id) + " " + std::to_string(t));
        }
    } catch (const vdcProfileError&) {
    }
    return 0;
}
