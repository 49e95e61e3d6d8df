// Writes the glTF files the glTF browser test validates and draws: for each model NAME.glb (the bracket also as
// bracket.gltf) and NAME.json, what the conversion says it wrote: {"meshes": n, "triangles": n, "line_strips":
// n, "faces": ["F1", ...]}.
#include <fstream>
#include <iostream>

#include <vdacheck/exchange/vdc_convert.h>

#include "exchange_support.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: vdacheck_gltf_fixture OUTPUT_FOLDER\n";
        return 2;
    }
    const std::filesystem::path out = argv[1];
    std::filesystem::create_directories(out);
    const std::string source = VDACHECK_SOURCE_DIR;
    struct Job {
        std::string name;
        std::unique_ptr<vdaFile> file;
        bool repair;
        const char* suffix;
    };
    std::vector<Job> jobs;
    jobs.push_back({"bracket", vdaReader::load(source + "/examples/bracket.vda"), true, ".glb"});
    jobs.push_back({"bracket-text", vdaReader::load(source + "/examples/bracket.vda"), true, ".gltf"});
    jobs.push_back({"fc267", vdaReader::load(source + "/tests/data/samples/OpenVDAFS__FC267.vda"), false, ".glb"});
    jobs.push_back(
        {"curve-sp1", vdaReader::load(source + "/tests/data/samples/OpenVDAFS__CURVE_SP1.vda"), false, ".glb"});
    jobs.push_back({"random", vdatest_random_model(7, 3), false, ".glb"});
    jobs.push_back({"synthetic", vdaReader::read(vda_synthetic_model(300'000), "synthetic.vda"), true, ".glb"});
    for (Job& job : jobs) {
        vdcConvertOptions options;
        options.repair = job.repair;
        const vdcConvertResult result = vdc_convert(*job.file, out / (job.name + job.suffix), options);
        if (!result.written) {
            std::cerr << job.name << ": " << result.message << '\n';
            return 1;
        }
        std::ofstream json(out / (job.name + ".json"));
        json << "{\"file\": \"" << job.name << job.suffix << "\", \"meshes\": " << result.counts.meshes
             << ", \"triangles\": " << result.counts.triangles << ", \"line_strips\": " << result.counts.line_strips
             << ", \"faces\": [";
        const char* comma = "";
        for (const vdcConvertedEntity& e : result.exported)
            if (e.as.starts_with("face") || e.as.starts_with("untrimmed face")) {
                json << comma << '"' << e.entity << '"';
                comma = ", ";
            }
        json << "]}\n";
    }
    return 0;
}
