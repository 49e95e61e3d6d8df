// The Python classes of the entities: Entity with what every entity has, and one class per entity type with that
// type's values as read-only properties. Variable-size blocks of numbers (points, coefficients, breakpoints) are
// NumPy arrays that view the model without a copy; single points and vectors are small arrays of their own.
#include <algorithm>
#include <string>

#include <pybind11/pybind11.h>

#include <vdacheck/model/vda_types.h>
#include <vdc_py_bindings.h>
#include <vdc_py_entity.h>
#include <vdc_py_values.h>

namespace py = pybind11;

namespace {

template <class T>
using EntityClass = py::class_<vdcPyEntityOf<T>, vdcPyEntity>;

// A read-only property computed by f(entity as T, handle).
template <class T, class F>
void value(EntityClass<T>& c, const char* name, F f, const char* doc)
{
    c.def_property_readonly(
        name, [f](const vdcPyEntityOf<T>& e) { return e.with([&](const T& entity) { return f(entity, e); }); }, doc);
}

template <class Point>
py::object segment_of(const py::module_& values, const vdcPyEntity& e, const vdaSegment<Point>& s)
{
    constexpr int width = sizeof(Point) / sizeof(double);
    const auto& coeffs = s.all_coeffs();
    return values.attr("Segment")(s.start_parameter(), s.end_parameter(), s.order(),
                                  vdc_py_rows(e.model(), coeffs.data(), coeffs.size(), width));
}

template <class Segmented>
py::list segments_of(const Segmented& entity, const vdcPyEntity& e)
{
    const py::module_ values = vdc_py_values_module();
    py::list list;
    for (int i = 0; i < entity.num_segments(); ++i)
        list.append(segment_of(values, e, entity.segment(i)));
    return list;
}

py::object patch_of(const py::module_& values, const vdcPyEntity& e, const vdaSurfPatch& p)
{
    // Stored with u running fastest: coefficient (k, l) sits at l * u_order + k.
    constexpr auto point = static_cast<py::ssize_t>(sizeof(giPoint3));
    const py::ssize_t nu = std::max(p.u_order(), 0);
    const py::ssize_t nv = std::max(p.v_order(), 0);
    const double* data =
        p.all_coeffs().empty() ? vdc_py_no_data() : reinterpret_cast<const double*>(p.all_coeffs().data());
    return values.attr("Patch")(p.u_start_parameter(), p.u_end_parameter(), p.v_start_parameter(), p.v_end_parameter(),
                                p.u_order(), p.v_order(),
                                vdc_py_view(e.model(), data, {nu, nv, 3}, {point, point * nu, sizeof(double)}));
}

py::object trim_of(const py::module_& values, const vdaTrimmedCurve& t)
{
    return values.attr("Trim")(vdc_py_str(t.basis_curve_name()), t.start_parameter(), t.end_parameter());
}

py::object side_of(const py::module_& values, const vdaLinkedSurf& side)
{
    py::list curves;
    for (int j = 0; j < side.num_trimmed_curves(); ++j)
        curves.append(trim_of(values, side.trimmed_curve(j)));
    return values.attr("Side")(vdc_py_str(side.basis_entity_name()), curves);
}

py::list elements_of(const vdaElementList& list)
{
    py::list names;
    for (int i = 0; i < list.num_elements(); ++i)
        names.append(vdc_py_name(list.element_name(i)));
    return names;
}

template <class T>
EntityClass<T> entity_class(py::module_& m, const char* name, const char* doc)
{
    EntityClass<T> c(m, name, doc);
    c.attr("__module__") = "vdacheck";  // as the package exports it, in help() and signatures
    return c;
}

void bind_points(py::module_& m)
{
    auto header =
        entity_class<vdaHeader>(m, "Header", "The HEADER statement: the file's name and its free-text records.");
    value(
        header, "text",
        [](const vdaHeader& h, const vdcPyEntity&) {
            py::list lines;
            for (int i = 0; i < h.num_text_lines(); ++i)
                lines.append(vdc_py_str(h.text_line(i)));
            return lines;
        },
        "The text records, as written (list of str).");

    auto point = entity_class<vdaPoint>(m, "Point", "The POINT statement: one point in space.");
    value(
        point, "point", [](const vdaPoint& p, const vdcPyEntity&) { return vdc_py_xyz(p.point()); },
        "The point (array of 3; a copy).");

    auto pset = entity_class<vdaPset>(m, "Pset", "The PSET statement: a sequence of points.");
    value(
        pset, "points",
        [](const vdaPset& p, const vdcPyEntity& e) {
            return vdc_py_rows(e.model(), p.num_points() ? &p.point(0) : nullptr,
                               static_cast<std::size_t>(p.num_points()), 3);
        },
        "The points, (n, 3), a read-only view of the model.");

    auto mdi = entity_class<vdaMDI>(m, "Mdi", "The MDI statement: a sequence of points, each with a vector.");
    value(
        mdi, "points",
        [](const vdaMDI& p, const vdcPyEntity& e) {
            const auto n = static_cast<std::size_t>(p.num_point_vector());
            return vdc_py_rows(e.model(), n ? &p.point(0) : nullptr, n, 3);
        },
        "The points, (n, 3), a read-only view of the model.");
    value(
        mdi, "vectors",
        [](const vdaMDI& p, const vdcPyEntity& e) {
            const auto n = static_cast<std::size_t>(p.num_point_vector());
            return vdc_py_rows(e.model(), n ? &p.vector(0) : nullptr, n, 3);
        },
        "The vectors, (n, 3), a read-only view of the model (not necessarily of unit length).");

    auto circle = entity_class<vdaCircle>(m, "Circle",
                                          "The CIRCLE statement: an arc around a centre in the plane of v and w, from "
                                          "the start to the end angle (degrees, "
                                          "from v towards w).");
    value(
        circle, "centre", [](const vdaCircle& c, const vdcPyEntity&) { return vdc_py_xyz(c.centre()); },
        "The centre (array of 3; a copy).");
    value(
        circle, "radius", [](const vdaCircle& c, const vdcPyEntity&) { return c.radius(); }, "The radius.");
    value(
        circle, "v",
        [](const vdaCircle& c, const vdcPyEntity&) {
            return vdc_py_xyz(c.plane_v().x(), c.plane_v().y(), c.plane_v().z());
        },
        "The first plane vector, where angles start (array of 3; a copy).");
    value(
        circle, "w",
        [](const vdaCircle& c, const vdcPyEntity&) {
            return vdc_py_xyz(c.plane_w().x(), c.plane_w().y(), c.plane_w().z());
        },
        "The second plane vector (array of 3; a copy).");
    value(
        circle, "start_angle", [](const vdaCircle& c, const vdcPyEntity&) { return c.start_angle(); },
        "The start angle in degrees.");
    value(
        circle, "end_angle", [](const vdaCircle& c, const vdcPyEntity&) { return c.end_angle(); },
        "The end angle in degrees.");
}

void bind_curves(py::module_& m)
{
    auto curve = entity_class<vdaCurve>(m, "Curve", "The CURVE statement: a piecewise polynomial space curve.");
    value(
        curve, "segments", [](const vdaCurve& c, const vdcPyEntity& e) { return segments_of(c, e); },
        "The segments (list of Segment; coefficients (order, 3) are views of the model).");

    auto surf = entity_class<vdaSurf>(
        m, "Surf",
        "The SURF statement: a grid of nu by nv polynomial patches, listed with the u index running fastest.");
    value(
        surf, "nu", [](const vdaSurf& s, const vdcPyEntity&) { return s.num_patches_in_u(); },
        "Number of patches in u.");
    value(
        surf, "nv", [](const vdaSurf& s, const vdcPyEntity&) { return s.num_patches_in_v(); },
        "Number of patches in v.");
    value(
        surf, "u_parameters",
        [](const vdaSurf& s, const vdcPyEntity& e) { return vdc_py_vector(e.model(), s.u_parameters()); },
        "The breakpoints in u (nu + 1), a read-only view of the model.");
    value(
        surf, "v_parameters",
        [](const vdaSurf& s, const vdcPyEntity& e) { return vdc_py_vector(e.model(), s.v_parameters()); },
        "The breakpoints in v (nv + 1), a read-only view of the model.");
    value(
        surf, "patches",
        [](const vdaSurf& s, const vdcPyEntity& e) {
            const py::module_ values = vdc_py_values_module();
            py::list list;
            for (int j = 0; j < s.num_patches_in_v(); ++j)
                for (int i = 0; i < s.num_patches_in_u(); ++i)
                    list.append(patch_of(values, e, s.patch(i, j)));
            return list;
        },
        "The patches in file order, u index fastest: patch (i, j) is patches[j * nu + i] (list of Patch).");

    auto cons = entity_class<vdaCons>(
        m, "Cons",
        "The CONS statement: a curve in the parameter plane of a surface, with the range of a space curve it covers.");
    value(
        cons, "surface", [](const vdaCons& c, const vdcPyEntity&) { return vdc_py_name(c.basis_surface_name()); },
        "Name of the surface the curve lies on.");
    value(
        cons, "curve", [](const vdaCons& c, const vdcPyEntity&) { return vdc_py_name(c.curve_3d_name()); },
        "Name of the space curve that represents it.");
    value(
        cons, "start", [](const vdaCons& c, const vdcPyEntity&) { return c.start_parameter(); },
        "Start of the range of the space curve's parameter it covers.");
    value(
        cons, "end", [](const vdaCons& c, const vdcPyEntity&) { return c.end_parameter(); },
        "End of that range (below start: the curve on surface runs against the space curve).");
    value(
        cons, "segments", [](const vdaCons& c, const vdcPyEntity& e) { return segments_of(c, e); },
        "The segments (list of Segment; coefficients (order, 2) in (u, v) are views of the model).");
}

void bind_topology(py::module_& m)
{
    auto face = entity_class<vdaFace>(m, "Face", "The FACE statement: a surface trimmed by closed boundary loops.");
    value(
        face, "surface", [](const vdaFace& f, const vdcPyEntity&) { return vdc_py_name(f.basis_surface_name()); },
        "Name of the trimmed surface.");
    value(
        face, "boundaries",
        [](const vdaFace& f, const vdcPyEntity&) {
            const py::module_ values = vdc_py_values_module();
            py::list loops;
            for (int b = 0; b < f.num_boundaries(); ++b) {
                py::list loop;
                const vdaBoundary& boundary = f.boundary(b);
                for (int s = 0; s < boundary.num_curve_segments(); ++s)
                    loop.append(trim_of(values, boundary.curve_segment(s)));
                loops.append(loop);
            }
            return loops;
        },
        "The boundary loops, the outer first: each a list of Trim (cons name, start, end).");

    auto top = entity_class<vdaTop>(
        m, "Top",
        "The TOP statement: pairs of adjacent faces or surfaces, each side with the pieces along which they meet.");
    value(
        top, "pairs",
        [](const vdaTop& t, const vdcPyEntity&) {
            const py::module_ values = vdc_py_values_module();
            py::list pairs;
            for (int i = 0; i < t.num_surface_pairs(); ++i) {
                const vdaSurfacePair& p = t.surface_pair(i);
                pairs.append(values.attr("Pair")(side_of(values, p.first_linked_surface()),
                                                 side_of(values, p.second_linked_surface()), p.continuity()));
            }
            return pairs;
        },
        "The pairs (list of Pair).");

    auto group = entity_class<vdaGroup>(m, "Group", "The GROUP statement: a named list of entities.");
    value(
        group, "elements", [](const vdaGroup& g, const vdcPyEntity&) { return elements_of(g); },
        "Names of the elements (None for an element set to null).");

    auto set = entity_class<vdaBeginSet>(m, "Set", "A set: the statements between a BEGINSET and its ENDSET.");
    value(
        set, "elements", [](const vdaBeginSet& s, const vdcPyEntity&) { return elements_of(s); },
        "Names of the members (None for a member set to null).");

    auto tmat = entity_class<vdaTmat>(m, "Tmat", "The TMAT statement: a transformation x' = A x + t.");
    value(
        tmat, "matrix",
        [](const vdaTmat& t, const vdcPyEntity&) {
            py::array_t<double> a({3, 3});
            auto r = a.mutable_unchecked<2>();
            for (int i = 0; i < 3; ++i)
                for (int j = 0; j < 3; ++j)
                    r(i, j) = t.matrix().a(i, j);
            return a;
        },
        "A, (3, 3), row by row (a copy).");
    value(
        tmat, "translation",
        [](const vdaTmat& t, const vdcPyEntity&) {
            return vdc_py_xyz(t.matrix().t(0), t.matrix().t(1), t.matrix().t(2));
        },
        "t (array of 3; a copy).");

    auto tlist =
        entity_class<vdaTlist>(m, "Tlist", "The TLIST statement: one transformation applied to a list of entities.");
    value(
        tlist, "transform", [](const vdaTlist& t, const vdcPyEntity&) { return vdc_py_name(t.transform_name()); },
        "Name of the TMAT.");
    value(
        tlist, "elements", [](const vdaTlist& t, const vdcPyEntity&) { return elements_of(t); },
        "Names of the entities it applies to (None for an element set to null).");
}

}  // namespace

void vdc_py_bind_entities(py::module_& m)
{
    py::class_<vdcPyEntity> entity(
        m, "Entity",
        "An entity of a model. It keeps its model alive. Once clean or repair deletes the entity, its values raise "
        "DeletedEntityError; name and type stay readable.");
    entity.attr("__module__") = "vdacheck";
    entity
        .def_property_readonly(
            "name", [](const vdcPyEntity& e) { return vdc_py_str(e.name()); }, "The entity's name.")
        .def_property_readonly(
            "type", [](const vdcPyEntity& e) { return e.type(); },
            "The command word of its statement (\"CURVE\", \"BEGINSET\", ...).")
        .def_property_readonly(
            "line",
            [](const vdcPyEntity& e) {
                const vdcPyModel::Use use(*e.model());
                return e.get(use).line();
            },
            "First line of its statement in the file read; 0 for an entity built in code.")
        .def_property_readonly(
            "changed",
            [](const vdcPyEntity& e) {
                const vdcPyModel::Use use(*e.model());
                return e.get(use).changed();
            },
            "True once a repair changed it: saving writes it afresh instead of copying its records.")
        .def_property_readonly("deleted", &vdcPyEntity::deleted, "True once clean or repair deleted it.")
        .def(
            "__eq__", [](const vdcPyEntity& a, const vdcPyEntity& b) { return a == b; }, py::is_operator())
        .def("__hash__", &vdcPyEntity::hash)
        .def("__repr__", [](const py::object& self) {
            const auto& e = self.cast<const vdcPyEntity&>();
            return py::str("<vdacheck.{} {!r}>").format(self.get_type().attr("__name__"), vdc_py_str(e.name()));
        });
    bind_points(m);
    bind_curves(m);
    bind_topology(m);
}
