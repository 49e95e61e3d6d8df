#pragma once

#include <algorithm>
#include <array>
#include <initializer_list>

#include <vdacheck/geometry/gi_point3.h>
#include <vdacheck/rules/vdc_quality_rules.h>
#include <vdacheck/util/ut_string.h>

// Where a value was measured: indices and parameters as the rule's table row names them (unused ones
// are 0), and the point in space, when there is one.
struct vdcQualityLocation {
    std::array<int, 4> indices{};
    std::array<double, 3> parameters{};
    giPoint3 point;
    bool has_point = false;

    static vdcQualityLocation at(std::initializer_list<int> indices, std::initializer_list<double> parameters,
                                 const giPoint3& point) noexcept
    {
        vdcQualityLocation where = without_point(indices, parameters);
        where.point = point;
        where.has_point = true;
        return where;
    }
    static vdcQualityLocation without_point(std::initializer_list<int> indices,
                                            std::initializer_list<double> parameters) noexcept
    {
        vdcQualityLocation where;
        std::copy_n(indices.begin(), std::min(indices.size(), where.indices.size()), where.indices.begin());
        std::copy_n(parameters.begin(), std::min(parameters.size(), where.parameters.size()), where.parameters.begin());
        return where;
    }
};

// One measured value of one rule on one entity: a finding when it fails the tolerance, and also the form
// in which the worst value of a rule is reported.
struct vdcQualityFinding {
    vdcQualityRule rule{};
    utString entity;        // the entity's name
    const char* type = "";  // its command word
    int line = 0;           // first line of its statement; 0 for an entity built in code
    double value = 0.0;
    double tolerance = 0.0;
    vdcQualityLocation where;

    const char* id() const noexcept { return vdc_quality_rule_info(rule).id; }
    const char* unit() const noexcept { return vdc_quality_rule_info(rule).unit; }
};
