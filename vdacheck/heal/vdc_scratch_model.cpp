#include <vdacheck/heal/vdc_scratch_model.h>

#include <vdacheck/model/vda_cons.h>
#include <vdacheck/model/vda_curve.h>
#include <vdacheck/model/vda_face.h>
#include <vdacheck/model/vda_file.h>
#include <vdacheck/model/vda_header.h>
#include <vdacheck/model/vda_surf.h>
#include <vdacheck/model/vda_top.h>

vdcScratchModel::vdcScratchModel(bool header)
{
    // A new file becomes its thread's current one: the one that was current stays so.
    vdaFile* current = vdaFile::current();
    file_ = std::make_unique<vdaFile>();
    if (header)
        file_->create<vdaHeader>("SCRATCH", std::vector<std::string>{"VDAFS VERSION     :  2.0"});
    if (current)
        current->make_current();
}

vdcScratchModel::~vdcScratchModel() = default;

void vdcScratchModel::add(const vdaObject& entity)
{
    if (copied_.count(entity.name()))
        return;
    copy(entity);
}

void vdcScratchModel::add_named(const vdaObject& from, const utString& name)
{
    if (name.empty() || copied_.count(name) || !from.file())
        return;
    if (const vdaObject* e = from.file()->find(name))
        copy(*e);
}

void vdcScratchModel::copy(const vdaObject& entity)
{
    copied_.insert(entity.name());
    if (const auto* c = vda_cast<vdaCurve>(&entity)) {
        file_->create<vdaCurve>(c->name(), c->segments());
    } else if (const auto* s = vda_cast<vdaSurf>(&entity)) {
        if (s->num_patches_in_u() > 0 && s->num_patches_in_v() > 0)
            file_->create<vdaSurf>(s->name(), s->num_patches_in_u(), s->num_patches_in_v(), s->patches());
        else
            file_->create<vdaSurf>(s->name(), s->num_patches_in_u(), s->num_patches_in_v(), s->u_parameters(),
                                   s->v_parameters());
    } else if (const auto* n = vda_cast<vdaCons>(&entity)) {
        file_->create<vdaCons>(n->name(), n->basis_surface_name(), n->curve_3d_name(), n->start_parameter(),
                               n->end_parameter(), n->segments());
        add_named(entity, n->basis_surface_name());
        add_named(entity, n->curve_3d_name());
    } else if (const auto* f = vda_cast<vdaFace>(&entity)) {
        std::vector<vdaBoundary> boundaries;
        for (int b = 0; b < f->num_boundaries(); ++b)
            boundaries.push_back(f->boundary(b));
        file_->create<vdaFace>(f->name(), f->basis_surface_name(), std::move(boundaries));
        add_named(entity, f->basis_surface_name());
        for (int b = 0; b < f->num_boundaries(); ++b)
            for (int k = 0; k < f->boundary(b).num_curve_segments(); ++k)
                add_named(entity, f->boundary(b).curve_segment(k).basis_curve_name());
    } else if (const auto* t = vda_cast<vdaTop>(&entity)) {
        std::vector<vdaSurfacePair> pairs;
        for (int i = 0; i < t->num_surface_pairs(); ++i)
            pairs.push_back(t->surface_pair(i));
        file_->create<vdaTop>(t->name(), std::move(pairs));
        for (int i = 0; i < t->num_surface_pairs(); ++i)
            for (const vdaLinkedSurf* side :
                 {&t->surface_pair(i).first_linked_surface(), &t->surface_pair(i).second_linked_surface()}) {
                add_named(entity, side->basis_entity_name());
                for (int j = 0; j < side->num_trimmed_curves(); ++j)
                    add_named(entity, side->trimmed_curve(j).basis_curve_name());
            }
    }
}
