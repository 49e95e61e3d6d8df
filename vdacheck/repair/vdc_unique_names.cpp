#include <vdacheck/repair/vdc_unique_names.h>

#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>

#include <vdacheck/model/vda_file.h>
#include <vdacheck/model/vda_types.h>

namespace {

using Names = std::unordered_set<std::string_view>;

// The names an entity refers to, added to a set.
class References {
public:
    explicit References(Names& names) noexcept : names_(names) {}

    void operator()(const vdaCons& c) const
    {
        add(c.basis_surface_name());
        add(c.curve_3d_name());
    }
    void operator()(const vdaFace& f) const
    {
        add(f.basis_surface_name());
        for (int b = 0; b < f.num_boundaries(); ++b)
            for (int k = 0; k < f.boundary(b).num_curve_segments(); ++k)
                add(f.boundary(b).curve_segment(k).basis_curve_name());
    }
    void operator()(const vdaTop& top) const
    {
        for (int i = 0; i < top.num_surface_pairs(); ++i)
            for (const vdaLinkedSurf* side :
                 {&top.surface_pair(i).first_linked_surface(), &top.surface_pair(i).second_linked_surface()}) {
                add(side->basis_entity_name());
                for (int k = 0; k < side->num_trimmed_curves(); ++k)
                    add(side->trimmed_curve(k).basis_curve_name());
            }
    }
    void operator()(const vdaGroup& g) const { elements(g); }
    void operator()(const vdaBeginSet& s) const { elements(s); }
    void operator()(const vdaTlist& l) const
    {
        add(l.transform_name());
        elements(l);
    }
    template <class T>
    void operator()(const T&) const
    {
    }

private:
    void add(const utString& name) const { names_.insert(name.view()); }
    void elements(const vdaElementList& list) const
    {
        for (int i = 0; i < list.num_elements(); ++i)
            add(list.element_name(i));
    }
    Names& names_;
};

bool is_letter(char c) noexcept { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool is_digit(char c) noexcept { return c >= '0' && c <= '9'; }

// A VDA-FS name made from `name` that `taken` does not hold: its letters (upper case) and digits, cut to
// leave room for "D" and a number.
std::string fresh_name(std::string_view name, const Names& taken)
{
    std::string stem;
    for (const char c : name)
        if (is_letter(c) || is_digit(c))
            stem += static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    if (stem.empty() || !is_letter(stem[0]))
        stem.insert(stem.begin(), 'N');
    for (unsigned n = 2;; ++n) {
        const std::string number = std::to_string(n);
        std::string candidate = stem.substr(0, 7 - number.size()) + 'D' + number;
        if (!taken.count(candidate))
            return candidate;
    }
}

}  // namespace

std::vector<vdcRename> vdc_give_unique_names(vdaFile& file)
{
    std::vector<vdcRename> renames;
    if (!file.has_duplicate_names())
        return renames;
    // Taken: every entity's name and every name referred to, also where no entity has it (a fresh name must
    // not make a dangling reference resolve).
    Names taken;
    const References references(taken);
    Names seen;
    std::vector<vdaObject*> later;
    for (vdaObject& entity : file) {
        taken.insert(entity.name().view());
        vda_visit(entity, references, [] {});
        if (!seen.insert(entity.name().view()).second)
            later.push_back(&entity);
    }
    // Sets hold their members as entities by name: where they hold one to be renamed, they take it again.
    std::unordered_set<const vdaObject*> renamed(later.begin(), later.end());
    std::vector<std::pair<vdaBeginSet*, int>> members;
    for (vdaObject& entity : file)
        if (auto* set = vda_cast<vdaBeginSet>(&entity))
            for (int i = 0; i < set->num_elements(); ++i)
                if (renamed.count(set->element(i)()))
                    members.emplace_back(set, i);
    std::vector<vdaObjectPtr> held;
    for (const auto& [set, i] : members)
        held.push_back(set->element(i));

    renames.reserve(later.size());
    for (vdaObject* entity : later) {
        const utString to(fresh_name(entity->name().view(), taken));
        renames.push_back({entity->name(), to, entity->type().command_word(), entity->line()});
        taken.insert(renames.back().to.view());  // the name lives on in the rename
        file.rename(*entity, to);
    }
    for (std::size_t k = 0; k < members.size(); ++k)
        members[k].first->set_element(members[k].second, held[k]);
    return renames;
}
