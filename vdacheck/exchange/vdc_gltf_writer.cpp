#include <vdacheck/exchange/vdc_gltf_writer.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <stdexcept>

#include <tiny_gltf.h>

#include <vdacheck/exchange/vdc_convert_error.h>
#include <vdacheck/exchange/vdc_convert_result.h>
#include <vdacheck/mesh/vda_scene.h>
#include <vdacheck/util/ut_replace_file.h>

namespace {

// One buffer with a view per kind of data; accessors point into the views.
class Buffers {
public:
    explicit Buffers(tinygltf::Model& model) : model_(model)
    {
        for (const int target :
             {TINYGLTF_TARGET_ARRAY_BUFFER, TINYGLTF_TARGET_ARRAY_BUFFER, TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER}) {
            tinygltf::BufferView view;
            view.buffer = 0;
            view.target = target;
            // Several accessors share a view: vertex data needs its stride spelt out.
            if (target == TINYGLTF_TARGET_ARRAY_BUFFER)
                view.byteStride = 3 * sizeof(float);
            model_.bufferViews.push_back(view);
            data_.emplace_back();
        }
    }
    static constexpr int positions = 0, normals = 1, indices = 2;

    // An accessor of `count` vectors of three floats (with their bounds, for positions) or of indices.
    int vectors(int view, const float* xyz, std::size_t count, bool bounds)
    {
        tinygltf::Accessor a = accessor(view, xyz, count * 3 * sizeof(float), TINYGLTF_COMPONENT_TYPE_FLOAT);
        a.type = TINYGLTF_TYPE_VEC3;
        a.count = count;
        if (bounds) {
            a.minValues.assign(3, std::numeric_limits<double>::infinity());
            a.maxValues.assign(3, -std::numeric_limits<double>::infinity());
            for (std::size_t i = 0; i < count; ++i)
                for (std::size_t c = 0; c < 3; ++c) {
                    a.minValues[c] = std::min(a.minValues[c], double(xyz[3 * i + c]));
                    a.maxValues[c] = std::max(a.maxValues[c], double(xyz[3 * i + c]));
                }
        }
        model_.accessors.push_back(a);
        return int(model_.accessors.size()) - 1;
    }
    int indices_of(const std::uint32_t* values, std::size_t count)
    {
        tinygltf::Accessor a =
            accessor(indices, values, count * sizeof(std::uint32_t), TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT);
        a.type = TINYGLTF_TYPE_SCALAR;
        a.count = count;
        model_.accessors.push_back(a);
        return int(model_.accessors.size()) - 1;
    }

    // Joins the views into the buffer; views that stayed empty are dropped (accessors keep their numbers).
    void finish()
    {
        tinygltf::Buffer buffer;
        std::vector<int> renumbered(3, -1);
        std::vector<tinygltf::BufferView> views;
        for (int v = 0; v < 3; ++v) {
            if (data_[std::size_t(v)].empty())
                continue;
            tinygltf::BufferView view = model_.bufferViews[std::size_t(v)];
            view.byteOffset = buffer.data.size();
            view.byteLength = data_[std::size_t(v)].size();
            buffer.data.insert(buffer.data.end(), data_[std::size_t(v)].begin(), data_[std::size_t(v)].end());
            renumbered[std::size_t(v)] = int(views.size());
            views.push_back(view);
        }
        for (tinygltf::Accessor& a : model_.accessors)
            a.bufferView = renumbered[std::size_t(a.bufferView)];
        model_.bufferViews = std::move(views);
        model_.buffers.push_back(std::move(buffer));
    }

private:
    tinygltf::Accessor accessor(int view, const void* bytes, std::size_t size, int component)
    {
        std::vector<unsigned char>& data = data_[std::size_t(view)];
        tinygltf::Accessor a;
        a.bufferView = view;
        a.byteOffset = data.size();
        a.componentType = component;
        const auto* begin = static_cast<const unsigned char*>(bytes);
        data.insert(data.end(), begin, begin + size);
        return a;
    }

    tinygltf::Model& model_;
    std::vector<std::vector<unsigned char>> data_;
};

// Unit normals per vertex: the sum of the (area-weighted) normals of the triangles around it; a vertex of
// degenerate triangles only gets its neighbours' or, failing that, +z.
std::vector<float> vertex_normals(const vdaDrawing& d)
{
    const std::size_t n = d.positions.size() / 3;
    std::vector<double> sum(3 * n, 0.0);
    const auto at = [&](std::uint32_t i, std::size_t c) { return double(d.positions[3 * i + c]); };
    for (std::size_t t = 0; t + 2 < d.indices.size(); t += 3) {
        const std::uint32_t a = d.indices[t], b = d.indices[t + 1], c = d.indices[t + 2];
        double u[3], v[3];
        for (std::size_t k = 0; k < 3; ++k) {
            u[k] = at(b, k) - at(a, k);
            v[k] = at(c, k) - at(a, k);
        }
        const double cross[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
        for (const std::uint32_t i : {a, b, c})
            for (std::size_t k = 0; k < 3; ++k)
                sum[3 * i + k] += cross[k];
    }
    std::vector<float> out(3 * n);
    for (std::size_t i = 0; i < n; ++i) {
        const double length =
            std::sqrt(sum[3 * i] * sum[3 * i] + sum[3 * i + 1] * sum[3 * i + 1] + sum[3 * i + 2] * sum[3 * i + 2]);
        for (std::size_t k = 0; k < 3; ++k)
            out[3 * i + k] = length > 0.0 ? float(sum[3 * i + k] / length) : (k == 2 ? 1.0f : 0.0f);
    }
    return out;
}

int material(tinygltf::Model& model, const char* name, std::vector<double> colour)
{
    tinygltf::Material m;
    m.name = name;
    m.pbrMetallicRoughness.baseColorFactor = std::move(colour);
    m.pbrMetallicRoughness.metallicFactor = 0.1;
    m.pbrMetallicRoughness.roughnessFactor = 0.7;
    m.doubleSided = true;
    model.materials.push_back(m);
    return int(model.materials.size()) - 1;
}

}  // namespace

void vdcGltfWriter::write(const std::vector<const vdaDrawing*>& drawings, const std::string& model_name, bool binary,
                          const std::filesystem::path& output, const utReplaceOptions& save, vdcConvertCounts& counts)
{
    tinygltf::Model model;
    model.asset.version = "2.0";
    model.asset.generator = "vdacheck";
    const int surface = material(model, "surface", {0.62, 0.72, 0.86, 1.0});
    const int curve = material(model, "curve", {0.10, 0.10, 0.12, 1.0});
    const int point = material(model, "point", {0.80, 0.20, 0.10, 1.0});
    Buffers buffers(model);

    tinygltf::Node root;
    root.name = model_name;
    root.scale = {0.001, 0.001, 0.001};    // model millimetres in glTF's metres
    std::map<std::string, int> instances;  // TLIST name -> its node
    model.nodes.emplace_back();            // the root, filled in at the end
    for (const vdaDrawing* d : drawings) {
        tinygltf::Mesh mesh;
        mesh.name = d->entity;
        const std::size_t vertices = d->positions.size() / 3;
        if (d->shape == vdaDrawing::Shape::triangles) {
            if (d->indices.empty())
                continue;
            const std::vector<float> normals = vertex_normals(*d);
            tinygltf::Primitive p;
            p.mode = TINYGLTF_MODE_TRIANGLES;
            p.material = surface;
            p.attributes["POSITION"] = buffers.vectors(Buffers::positions, d->positions.data(), vertices, true);
            p.attributes["NORMAL"] = buffers.vectors(Buffers::normals, normals.data(), vertices, false);
            p.indices = buffers.indices_of(d->indices.data(), d->indices.size());
            mesh.primitives.push_back(p);
            counts.triangles += d->indices.size() / 3;
        } else if (d->shape == vdaDrawing::Shape::lines) {
            for (std::size_t r = 0; r < d->runs.size(); ++r) {
                const std::size_t first = d->runs[r];
                const std::size_t last = r + 1 < d->runs.size() ? d->runs[r + 1] : vertices;
                if (last < first + 2)
                    continue;
                tinygltf::Primitive p;
                p.mode = TINYGLTF_MODE_LINE_STRIP;
                p.material = curve;
                p.attributes["POSITION"] =
                    buffers.vectors(Buffers::positions, d->positions.data() + 3 * first, last - first, true);
                mesh.primitives.push_back(p);
                ++counts.line_strips;
            }
        } else if (vertices > 0) {
            tinygltf::Primitive p;
            p.mode = TINYGLTF_MODE_POINTS;
            p.material = point;
            p.attributes["POSITION"] = buffers.vectors(Buffers::positions, d->positions.data(), vertices, true);
            mesh.primitives.push_back(p);
        }
        if (mesh.primitives.empty())
            continue;
        model.meshes.push_back(mesh);
        ++counts.meshes;
        tinygltf::Node node;
        node.name = d->entity;
        node.mesh = int(model.meshes.size()) - 1;
        model.nodes.push_back(node);
        const int index = int(model.nodes.size()) - 1;
        if (d->transform.empty()) {
            root.children.push_back(index);
            continue;
        }
        auto [it, added] = instances.try_emplace(d->transform, 0);
        if (added) {
            tinygltf::Node list;
            list.name = d->transform;
            model.nodes.push_back(list);
            it->second = int(model.nodes.size()) - 1;
            root.children.push_back(it->second);
        }
        model.nodes[std::size_t(it->second)].children.push_back(index);
    }
    buffers.finish();
    model.nodes[0] = root;
    tinygltf::Scene scene;
    scene.name = model_name;
    scene.nodes = {0};
    model.scenes.push_back(scene);
    model.defaultScene = 0;

    try {
        ut_replace_file(
            output,
            [&](std::ostream& out) {
                tinygltf::TinyGLTF writer;
                if (!writer.WriteGltfSceneToStream(&model, out, false, binary))
                    throw std::runtime_error("the glTF writer failed");
            },
            save);
    } catch (const std::exception& e) {
        throw vdcConvertError("cannot write " + output.string() + ": " + e.what());
    }
}
