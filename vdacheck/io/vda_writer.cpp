// Writing a vdaFile as VDA-FS: where each entity goes. Entities read from a source text and not changed
// since are copied from it byte for byte, with the comments and blank records before them; everything else
// is written afresh by the statement writer.
#include <vdacheck/io/vda_writer.h>

#include <string>
#include <vector>

#include <vdacheck/io/vda_record_writer.h>
#include <vdacheck/io/vda_statement_writer.h>
#include <vdacheck/io/vda_writability.h>
#include <vdacheck/io/vda_write_error.h>
#include <vdacheck/model/vda_begin_set.h>
#include <vdacheck/model/vda_file.h>
#include <vdacheck/model/vda_header.h>
#include <vdacheck/util/ut_replace_file.h>

namespace {

// Writes one vdaFile. Sets: an unchanged set read from the source keeps its BEGINSET and ENDSET records
// where they were, with whatever stands between them, unless it nests with a set written afresh. Any
// other set is written as BEGINSET, its elements (each taken from its own place), ENDSET. A set places each entity at
// most once: an element that is null, the set itself, the HEADER, an unchanged set from the source, an entity already
// placed by an earlier set, or a set that holds this set is left out.
class FileWriter {
public:
    FileWriter(const vdaFile& file, std::ostream& out)
        : file_(file), source_(file.source()), read_(static_cast<std::uint32_t>(source_.spans.size())),
          records_(out, source_.eol), statements_(records_)
    {
    }

    void write()
    {
        find_header();
        for (std::uint32_t k = 0; k < file_.num_slots(); ++k)
            if (const vdaObject* e = file_.slot(k); e && !copied(*e))
                vdaWritability::check(*e);
        find_regrouped_sets();
        place_set_elements();
        modified_ = read_ == 0 || header_slot_ != 0 || file_.num_slots() != read_;
        for (std::uint32_t k = 0; k < read_ && !modified_; ++k)
            modified_ = !file_.slot(k) || file_.slot(k)->changed();

        if (header_slot_ != 0)
            write_entity(*header_);
        std::size_t m = 0;
        for (std::uint32_t k = 0; k < read_; ++k) {
            for (; m < source_.endsets.size() && source_.endsets[m].before_slot <= k; ++m)
                write_endset(source_.endsets[m]);
            copy_range(source_.spans[k].lead, source_.spans[k].body);
            write_at_own_place(k);
        }
        for (; m < source_.endsets.size(); ++m)
            write_endset(source_.endsets[m]);
        for (std::uint32_t k = read_; k < file_.num_slots(); ++k)
            write_at_own_place(k);
        write_end();
        records_.finish();
    }

private:
    // --- what goes where

    void find_header()
    {
        for (std::uint32_t k = 0; k < file_.num_slots(); ++k) {
            const vdaObject* e = file_.slot(k);
            if (!e || !e->is_type(vdaHeader::id))
                continue;
            if (header_)
                throw vdaWriteError("cannot write HEADER '" + std::string(e->name().view()) +
                                    "': a VDA-FS file has one HEADER, and '" + std::string(header_->name().view()) +
                                    "' is the first");
            header_ = static_cast<const vdaHeader*>(e);
            header_slot_ = k;
        }
        if (!header_)
            throw vdaWriteError("cannot write a model without a HEADER");
    }

    // Read from the source and unchanged: written by copying its records.
    bool copied(const vdaObject& e) const noexcept { return e.slot() < read_ && !e.changed(); }
    bool is_set(const vdaObject& e) const noexcept { return e.is_type(vdaBeginSet::id) != 0; }
    bool regrouped(const vdaObject& e) const noexcept { return regrouped_[e.slot()]; }

    // The sets written afresh: those changed or not read from the source, and every set that holds one of
    // them or is held by one, up and down the nesting. A set kept in place cannot stand inside one written
    // afresh, and one written afresh cannot stand inside one kept in place: an entity it no longer holds
    // would be written inside the outer set's records and read back as the outer set's member.
    void find_regrouped_sets()
    {
        const std::uint32_t n = file_.num_slots();
        regrouped_.assign(n, false);
        std::vector<std::vector<std::uint32_t>> linked(n);  // slot of a set -> the sets it holds or is held by
        std::vector<std::uint32_t> work;
        for (std::uint32_t k = 0; k < n; ++k) {
            const auto* set = vda_cast<vdaBeginSet>(file_.slot(k));
            if (!set)
                continue;
            for (int i = 0; i < set->num_elements(); ++i)
                if (const auto* held = vda_cast<vdaBeginSet>(set->element(i)()); held && held->file() == &file_) {
                    linked[k].push_back(held->slot());
                    linked[held->slot()].push_back(k);
                }
            if (!copied(*set)) {
                regrouped_[k] = true;
                work.push_back(k);
            }
        }
        while (!work.empty()) {
            const std::uint32_t k = work.back();
            work.pop_back();
            for (const std::uint32_t other : linked[k])
                if (!regrouped_[other]) {
                    regrouped_[other] = true;
                    work.push_back(other);
                }
        }
    }

    // Decides which entities the regrouped sets hold (placed_[slot] = holding set's slot + 1). A union-find
    // over the sets placed so far keeps a set from holding one of the sets that hold it.
    void place_set_elements()
    {
        const std::uint32_t n = file_.num_slots();
        placed_.assign(n, 0);
        written_.assign(n, false);
        for (std::uint32_t k = 0; k < n; ++k) {
            const auto* set = vda_cast<vdaBeginSet>(file_.slot(k));
            if (!set || !regrouped(*set))
                continue;
            if (holder_.empty()) {
                holder_.resize(n);
                for (std::uint32_t i = 0; i < n; ++i)
                    holder_[i] = i;
            }
            for (int i = 0; i < set->num_elements(); ++i) {
                const vdaObject* element = set->element(i)();
                if (!element || element == set || element == header_)
                    continue;
                const std::uint32_t x = element->slot();
                if (placed_[x] != 0 || (is_set(*element) && !regrouped(*element)))
                    continue;
                if (is_set(*element)) {
                    if (outermost(k) == x)
                        continue;  // the element holds this set already
                    holder_[x] = k;
                }
                placed_[x] = k + 1;
            }
        }
    }

    std::uint32_t outermost(std::uint32_t k)
    {
        std::uint32_t root = k;
        while (holder_[root] != root)
            root = holder_[root];
        while (holder_[k] != root) {
            const std::uint32_t next = holder_[k];
            holder_[k] = root;
            k = next;
        }
        return root;
    }

    // --- the walk

    void copy_range(std::size_t begin, std::size_t end)
    {
        records_.copy(source_.text().data() + begin, source_.text().data() + end);
    }

    void write_at_own_place(std::uint32_t k)
    {
        const vdaObject* e = file_.slot(k);
        if (!e || placed_[k] != 0 || written_[k])
            return;
        if (k >= read_)
            close_pending_sets();
        if (regrouped(*e))
            write_regrouped_set(static_cast<const vdaBeginSet&>(*e));
        else
            write_entity(*e);
    }

    // An ENDSET record: kept when its set is kept in place; a set the source never closed is closed
    // afresh only if more entities follow it.
    void write_endset(const vdaSource::Endset& endset)
    {
        copy_range(endset.span.lead, endset.span.body);
        const vdaObject* set = file_.slot(endset.set_slot);
        if (!set || regrouped(*set))
            return;
        if (endset.span.body == endset.span.end)
            pending_.push_back(set);
        else
            copy_range(endset.span.body, endset.span.end);
    }

    void close_pending_sets()
    {
        for (const vdaObject* set : pending_) {
            records_.begin_statement(set->name().view(), "ENDSET");
            records_.end_statement();
        }
        pending_.clear();
    }

    // BEGINSET, the elements the set holds (nested sets likewise, without recursion), ENDSET.
    void write_regrouped_set(const vdaBeginSet& outer)
    {
        struct Frame {
            const vdaBeginSet* set;
            int next;
        };
        std::vector<Frame> stack{{&outer, 0}};
        written_[outer.slot()] = true;
        records_.begin_statement(outer.name().view(), "BEGINSET");
        records_.end_statement();
        while (!stack.empty()) {
            const vdaBeginSet* set = stack.back().set;
            if (stack.back().next == set->num_elements()) {
                records_.begin_statement(set->name().view(), "ENDSET");
                records_.end_statement();
                stack.pop_back();
                continue;
            }
            const vdaObject* element = set->element(stack.back().next++)();
            if (!element)
                continue;
            const std::uint32_t x = element->slot();
            if (placed_[x] != set->slot() + 1 || written_[x])
                continue;
            if (is_set(*element)) {
                written_[x] = true;
                records_.begin_statement(element->name().view(), "BEGINSET");
                records_.end_statement();
                stack.push_back({static_cast<const vdaBeginSet*>(element), 0});
            } else {
                write_entity(*element);
            }
        }
    }

    void write_entity(const vdaObject& e)
    {
        const std::uint32_t k = e.slot();
        written_[k] = true;
        if (copied(e))
            copy_range(source_.spans[k].body, source_.spans[k].end);
        else
            statements_.write(e);
    }

    void write_end()
    {
        const vdaSource::Span& end = source_.end_span;
        if (read_ > 0)
            copy_range(end.lead, end.body);
        if (source_.has_end) {
            copy_range(end.body, end.end);
        } else if (modified_) {
            records_.begin_statement(header_->name().view(), "END");
            records_.end_statement();
        }
    }

    const vdaFile& file_;
    const vdaSource& source_;
    const std::uint32_t read_;  // slots read from the source
    vdaRecordWriter records_;
    vdaStatementWriter statements_;
    const vdaHeader* header_ = nullptr;
    std::uint32_t header_slot_ = 0;
    bool modified_ = false;              // the output differs from the source
    std::vector<std::uint32_t> placed_;  // slot -> slot + 1 of the set that holds it, 0: none
    std::vector<std::uint32_t> holder_;  // union-find over sets placed in sets
    std::vector<bool> written_;
    std::vector<bool> regrouped_;            // slot -> a set written afresh
    std::vector<const vdaObject*> pending_;  // sets kept in place that the source never closed
};

}  // namespace

void vdaWriter::write(const vdaFile& file, std::ostream& out) { FileWriter(file, out).write(); }

void vdaWriter::save(const vdaFile& file, const std::filesystem::path& path, const utReplaceOptions& options)
{
    try {
        ut_replace_file(
            path, [&](std::ostream& out) { write(file, out); }, options);
    } catch (const vdaWriteError&) {
        throw;
    } catch (const std::exception& e) {
        throw vdaWriteError("cannot save " + path.string() + ": " + e.what());
    }
}
