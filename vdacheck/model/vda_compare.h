#pragma once

#include <string>

#include <vdacheck/util/ut_export.h>

class vdaFile;

// Compares two models entity by entity in file order: types, names, counts, orders, references (by
// name) and every double bit for bit. Returns "" when they are the same, otherwise a description of the
// first difference ("entity 3 'CV12': segment 2 coefficient 0 x: 1.5 vs 1.25"). Where entities were read
// from is not compared.
VDA_API std::string vda_first_difference(const vdaFile& a, const vdaFile& b);
