#include <vdacheck/model/vda_current_file.h>

#include <vdacheck/model/vda_file.h>

vdaCurrentFile::vdaCurrentFile(vdaFile& file) noexcept : previous_(vdaFile::current()) { file.make_current(); }

vdaCurrentFile::~vdaCurrentFile() { vdaFile::restore_current(previous_); }
