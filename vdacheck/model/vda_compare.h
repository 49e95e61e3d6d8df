#pragma once

#include <string>

#include <vdacheck/util/ut_export.h>

class vdaFile;

// How vda_first_difference pairs the entities of two models.
enum class vdaEntityOrder {
    same,        // entity i with entity i
    may_differ,  // each entity with the first unpaired one of its name in the other model that has the
                 // same values (else the first unpaired one); set members are compared as the same
                 // entities, wherever they stand. Writing a repaired set can move an entity that stood
                 // between its members but is no longer one of them behind ENDSET. Entities that share a
                 // name are paired in time quadratic in their number.
};

// Compares two models entity by entity, in file order by default: types, names, counts, orders,
// references (by name) and every double bit for bit. Returns "" when they are the same, otherwise a description of the
// first difference ("entity 3 'CV12': segment 2 coefficient 0 x: 1.5 vs 1.25"). Where entities were read
// from is not compared.
VDA_API std::string vda_first_difference(const vdaFile& a, const vdaFile& b,
                                         vdaEntityOrder order = vdaEntityOrder::same);
