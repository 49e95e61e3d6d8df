#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <vdacheck/rules/vdc_quality_rules.h>

class vdaFile;

// A geometric defect put into a synthetic model (see synthetic_model.h): the rule that finds it, the
// entity it is found on and its size (mm or degrees; tiny elements: their length).
struct vdaInjectedDefect {
    vdcQualityRule rule;
    std::string entity;
    double size = 0.0;
    bool healable = false;  // within the healing tolerance or angle
};

// Puts `per_rule` defects of every rule that healing closes into a synthetic model that checks clean
// (repaired), each in a part of its own whose entities have no quality finding yet (`clean_parts`: the
// part numbers to choose from). Gaps and kinks are drawn half below the tolerance (0.2 to 0.8 of it) and
// half above it (2 to 10 times); tiny segments and patches are exact splits of a segment or patch, which
// merge back. Deterministic for a seed.
std::vector<vdaInjectedDefect> vda_inject_defects(vdaFile& file, const std::vector<long>& clean_parts,
                                                  std::uint64_t seed, int per_rule, double tolerance, double angle);

// The parts (numbers k of S<k>, F<k>, ...) of a synthetic model none of whose entities is named in `names`.
std::vector<long> vda_parts_without(const vdaFile& file, const std::vector<std::string>& names);
