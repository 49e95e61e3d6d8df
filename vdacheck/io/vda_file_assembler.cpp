#include <vdacheck/io/vda_file_assembler.h>

#include <string>
#include <utility>

#include <vdacheck/model/vda_begin_set.h>
#include <vdacheck/model/vda_file.h>

namespace {

constexpr auto quoted = &vdaDiagnostics::quoted;

}  // namespace

vdaFileAssembler::vdaFileAssembler(vdaFile& file, vdaDiagnostics& diagnostics)
    : file_(file), source_(file.source()), diag_(diagnostics)
{
}

bool vdaFileAssembler::place(vdaStatement&& statement, int line_offset)
{
    const int line = statement.line + line_offset;
    switch (statement.kind) {
    case vdaStatement::Kind::header:
        header_name_ = statement.name;
        add(std::move(statement.entity), line, statement.span);
        return true;
    case vdaStatement::Kind::entity:
        add(std::move(statement.entity), line, statement.span);
        return true;
    case vdaStatement::Kind::beginset:
        begin_set(statement.name, line, statement.span);
        return true;
    case vdaStatement::Kind::endset:
        end_set(statement.name, line, statement.span);
        return true;
    case vdaStatement::Kind::end:
        end(statement.name, line, statement.span);
        return false;
    }
    return true;
}

void vdaFileAssembler::expect(std::size_t statements)
{
    file_.reserve(file_.num_slots() + statements);
    source_.spans.reserve(source_.spans.size() + statements);
}

void vdaFileAssembler::finish(int records)
{
    // The text is complete only now (a stream grows while it is read): END's span runs to its end.
    const std::size_t size = source_.text().size();
    if (source_.has_end) {
        source_.end_span.end = size;
        // END takes one record: anything after it is the next record.
        if (end_record_end_ < size) {
            ++end_line_;
            if (diag_.listed(vdaWarningKind::records_after_end))
                diag_.warn(vdaWarningKind::records_after_end, end_line_, 1, "records after END are ignored");
        }
    } else {
        if (diag_.listed(vdaWarningKind::missing_end))
            diag_.warn(vdaWarningKind::missing_end, records, 1, "missing END statement at the end of the file");
        close_open_sets("at the end of the file");
        source_.end_span = {item_start_, size, size};
    }
    diag_.finish(source_.has_end ? end_line_ : records);
}

vdaObject& vdaFileAssembler::add(std::unique_ptr<vdaObject> entity, int line, const vdaSource::Span& span)
{
    if (const vdaObject* first = file_.find(entity->name()); first && diag_.listed(vdaWarningKind::duplicate_name))
        diag_.warn(vdaWarningKind::duplicate_name, line, 1,
                   "duplicate name " + quoted(entity->name().view()) + " (first used on line " +
                       std::to_string(first->line()) + "); references resolve to the first");
    vdaObject& added = file_.adopt(std::move(entity), line);
    source_.spans.push_back(span);
    item_start_ = span.end;
    if (!open_.empty() && open_.back().set != &added)
        open_.back().set->add_element(added);
    return added;
}

void vdaFileAssembler::begin_set(const utString& name, int line, const vdaSource::Span& span)
{
    if (!open_.empty() && diag_.listed(vdaWarningKind::nested_set))
        diag_.warn(vdaWarningKind::nested_set, line, 1,
                   "set " + quoted(name.view()) + " is nested in set " + quoted(open_.back().set->name().view()) +
                       "; VDA-FS sets do not nest");
    auto& set = static_cast<vdaBeginSet&>(add(std::make_unique<vdaBeginSet>(name), line, span));
    open_.push_back({&set, set.slot()});
}

void vdaFileAssembler::end_set(const utString& name, int line, const vdaSource::Span& span)
{
    const auto fail = [&](const std::string& message) {
        diag_.fail(line, 1, vdaDiagnostics::statement_prefix("ENDSET", name.view()) + message);
    };
    if (open_.empty())
        fail("ENDSET without a matching BEGINSET");
    if (open_.back().set->name() != name)
        fail("ENDSET does not match the open set " + quoted(open_.back().set->name().view()));
    source_.endsets.push_back({file_.num_slots(), open_.back().slot, span});
    item_start_ = span.end;
    open_.pop_back();
}

void vdaFileAssembler::end(const utString& name, int line, const vdaSource::Span& span)
{
    if (name != header_name_ && diag_.listed(vdaWarningKind::end_name))
        diag_.warn(vdaWarningKind::end_name, line, 1,
                   "END " + quoted(name.view()) + " does not carry the HEADER name " + quoted(header_name_.view()));
    close_open_sets("at END");
    source_.has_end = true;
    source_.end_span = {span.lead, span.body, span.end};
    end_line_ = line;
    end_record_end_ = span.end;
}

// A set still open at END or at the end of the file ends there; it has no ENDSET record.
void vdaFileAssembler::close_open_sets(const char* where)
{
    while (!open_.empty()) {
        const OpenSet& open = open_.back();
        if (diag_.listed(vdaWarningKind::unclosed_set))
            diag_.warn(vdaWarningKind::unclosed_set, open.set->line(), 1,
                       "set " + quoted(open.set->name().view()) + " is not closed; it ends " + where);
        source_.endsets.push_back({file_.num_slots(), open.slot, {item_start_, item_start_, item_start_}});
        open_.pop_back();
    }
}
