#include <vdacheck/run/vdc_run_result.h>

#include <algorithm>
#include <cstring>
#include <map>

int vdcRunResult::count_entities(const std::vector<vdcProblem>& problems)
{
    // Problems of one entity stand together, so counting changes of name counts entities.
    int count = 0;
    const utString* last = nullptr;
    for (const vdcProblem& p : problems) {
        if (!last || *last != p.entity)
            ++count;
        last = &p.entity;
    }
    return count;
}

std::vector<std::pair<std::string_view, int>> vdcRunResult::problems_per_rule() const
{
    std::map<std::string_view, int> counts;
    for (const std::vector<vdcProblem>* problems : {&errors, &repaired, &findings})
        for (const vdcProblem& p : *problems)
            if (p.rule)
                ++counts[p.rule->id];
    for (const vdcHealedProblem& h : healed)
        ++counts[h.finding.rule->id];
    return {counts.begin(), counts.end()};
}

void vdcRunResult::locate_columns(std::string_view text)
{
    // Each line asked for, with the column to set.
    std::vector<std::pair<int, int*>> located;
    for (std::vector<vdcProblem>* problems : {&errors, &repaired, &findings})
        for (vdcProblem& p : *problems)
            if (p.line > 0)
                located.emplace_back(p.line, &p.column);
    for (vdcHealedProblem& h : healed)
        if (h.finding.line > 0)
            located.emplace_back(h.finding.line, &h.finding.column);
    for (vdcLeftProblem& l : left)
        if (l.finding.line > 0)
            located.emplace_back(l.finding.line, &l.finding.column);
    std::sort(located.begin(), located.end(), [](const auto& a, const auto& b) { return a.first < b.first; });

    int line = 1;
    std::size_t start = 0;  // of `line` in the text
    for (const auto& [wanted, column] : located) {
        while (line < wanted && start < text.size()) {
            const void* end = std::memchr(text.data() + start, '\n', text.size() - start);
            start = end ? static_cast<std::size_t>(static_cast<const char*>(end) - text.data()) + 1 : text.size();
            ++line;
        }
        // Blanks (and TABs, read as blanks) may stand before a statement's name.
        std::size_t first = start;
        while (first < text.size() && (text[first] == ' ' || text[first] == '\t'))
            ++first;
        *column = static_cast<int>(first - start) + 1;
    }
}
