#include <vdacheck/heal/vdc_heal.h>

#include <vdacheck/heal/vdc_healer.h>

vdcHealResult vdc_heal(vdaFile& file, const vdcHealOptions& options) { return vdcHealer(file, options).run(); }
