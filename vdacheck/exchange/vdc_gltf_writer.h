#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include <vdacheck/exchange/vdc_exchange_export.h>
#include <vdacheck/util/ut_replace_file.h>

struct vdaDrawing;
struct vdcConvertCounts;

// Writes drawings of the model's own tessellation as glTF 2.0 (tinygltf): one mesh per drawing named after its
// entity, triangles with per-vertex normals (averaged over the triangles around a vertex, weighted by area),
// each polyline a line strip, points as points. Drawings of a TLIST's instances hang under a node named after
// the TLIST (their vertices already moved by its matrix); everything under a root node named after the model,
// which scales millimetres to glTF's metres. Binary (.glb) or text with the buffer embedded (.gltf), written
// through a temporary file and a rename.
class VDC_EXCHANGE_API vdcGltfWriter {
public:
    static void write(const std::vector<const vdaDrawing*>& drawings, const std::string& model_name, bool binary,
                      const std::filesystem::path& output, const utReplaceOptions& save, vdcConvertCounts& counts);
};
