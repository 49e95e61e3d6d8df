#include <vdacheck/entities/vdc_header_check.h>

vdcHeaderCheck::~vdcHeaderCheck() = default;

void vdcHeaderCheck::check(vdcLog&, vdcFileCheck&) const {}
