#pragma once

#include <array>
#include <cstddef>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include <vdacheck/heal/vdc_heal_ledger.h>
#include <vdacheck/heal/vdc_heal_options.h>
#include <vdacheck/heal/vdc_heal_result.h>

class vdaCons;
class vdaCurve;
class vdaFace;
class vdaFile;
class vdaObject;
class vdaSurf;
class vdaTop;

// One run of vdc_heal over a model: the findings sorted into what to heal and what to leave, the healing
// entity by entity (surfaces, then curves, cons, faces and topology, then the space curves of cons), and
// the promise kept: whatever would break it is undone before the final measurement.
class vdcHealer {
public:
    vdcHealer(vdaFile& file, const vdcHealOptions& options);
    vdcHealResult run();

private:
    struct Item {
        vdcQualityFinding finding;
        bool healing = true;  // false once left
        std::string reason;   // why it was left
        std::string how;
        std::vector<utString> changed;
    };
    using Items = std::vector<std::size_t>;
    using ItemKey = std::tuple<vdcQualityRule, utString, std::array<int, 4>>;

    void sort_findings();
    void heal_surface(vdaSurf& surf, const Items& items);
    void heal_curve(vdaCurve& curve, const Items& items);
    void heal_cons(vdaCons& cons, const Items& items);
    void heal_face(vdaFace& face, const Items& items);
    void heal_top(vdaTop& top, const Items& items);
    void heal_deviations(const Items& items);
    // Rebuilds the space curve of `cons` from the cons on its surface, for `items`; false with why.
    bool rebuild_curve(vdaCons& cons, const Items& items, std::string& why);
    void keep_promise();
    // Which measured item a finding is: rule, entity and place. Rules that report one value per cons, face
    // or topology pair, at its worst point, know it by the entity (and pair) alone, a tiny patch by its
    // patch. `now`: the indices of a restructured entity as its merges left them.
    ItemKey item_of(const vdcQualityFinding& f, bool now) const;
    // Undoes what put a value of `after` beyond its tolerance that was within it before; true if anything.
    bool undo_new(const std::vector<vdcQualityFinding>& after);
    // The entities named and every cons, face and topology entity whose measurement reads one of them.
    std::set<utString> readers_of(const std::vector<utString>& names) const;

    // Before changing `entity` for `items`.
    void change(const Items& items, const vdaObject& entity);
    void leave(std::size_t item, std::string reason);
    void leave(const Items& items, const std::string& reason);
    void healed(const Items& items, const std::string& how);
    // Undoes everything that changed `entity`, and whatever else the healings involved changed.
    void undo(const utString& entity, const std::string& why);
    // The entity and what it refers to, as far as a quality measurement of it reads them.
    std::set<utString> measured_with(const utString& name) const;
    std::set<utString> measured_with(const vdaObject* entity) const;

    vdaFile& file_;
    vdcHealOptions options_;
    vdcHealLedger ledger_;
    vdcHealResult result_;
    std::vector<Item> items_;
    std::map<utString, Items> changed_by_;  // entity -> the items that changed it
    std::map<utString, int> cons_per_curve_;
    std::set<utString> duplicated_;
};
