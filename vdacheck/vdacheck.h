#pragma once

// Everything a host needs of the model and checker libraries, each installed header once: utilities and
// geometry types, entities, reading and writing, evaluation and tessellation; the checker, its logs and
// packets, the entity checks, repairs, the rule registry and the quality run. The report, healing and run
// libraries have their own headers: the run library's calls, which do what the tool does, come with
// <vdacheck/run/vdc_run.h> (target vdacheck::run).

#include <vdacheck/util/co_ordered_map.h>
#include <vdacheck/util/ut_export.h>
#include <vdacheck/util/ut_json_writer.h>
#include <vdacheck/util/ut_math.h>
#include <vdacheck/util/ut_replace_file.h>
#include <vdacheck/util/ut_string.h>
#include <vdacheck/util/ut_temporary_files.h>

#include <vdacheck/geometry/gi_length.h>
#include <vdacheck/geometry/gi_point2.h>
#include <vdacheck/geometry/gi_point3.h>
#include <vdacheck/geometry/gi_vector3.h>
#include <vdacheck/geometry/gi_xform3.h>

#include <vdacheck/model/type_info.h>
#include <vdacheck/model/vda_begin_set.h>
#include <vdacheck/model/vda_boundary.h>
#include <vdacheck/model/vda_circle.h>
#include <vdacheck/model/vda_compare.h>
#include <vdacheck/model/vda_cons.h>
#include <vdacheck/model/vda_cons_segment.h>
#include <vdacheck/model/vda_current_file.h>
#include <vdacheck/model/vda_curve.h>
#include <vdacheck/model/vda_curve_segment.h>
#include <vdacheck/model/vda_element_list.h>
#include <vdacheck/model/vda_face.h>
#include <vdacheck/model/vda_file.h>
#include <vdacheck/model/vda_file_it.h>
#include <vdacheck/model/vda_group.h>
#include <vdacheck/model/vda_header.h>
#include <vdacheck/model/vda_linked_surf.h>
#include <vdacheck/model/vda_mdi.h>
#include <vdacheck/model/vda_object.h>
#include <vdacheck/model/vda_object_ptr.h>
#include <vdacheck/model/vda_point.h>
#include <vdacheck/model/vda_pset.h>
#include <vdacheck/model/vda_read_warning.h>
#include <vdacheck/model/vda_segment.h>
#include <vdacheck/model/vda_source.h>
#include <vdacheck/model/vda_surf.h>
#include <vdacheck/model/vda_surf_patch.h>
#include <vdacheck/model/vda_surface_pair.h>
#include <vdacheck/model/vda_tlist.h>
#include <vdacheck/model/vda_tmat.h>
#include <vdacheck/model/vda_top.h>
#include <vdacheck/model/vda_trimmed_curve.h>
#include <vdacheck/model/vda_types.h>

#include <vdacheck/io/vda_read_error.h>
#include <vdacheck/io/vda_reader.h>
#include <vdacheck/io/vda_write_error.h>
#include <vdacheck/io/vda_writer.h>

#include <vdacheck/eval/vda_circle_eval.h>
#include <vdacheck/eval/vda_cons_eval.h>
#include <vdacheck/eval/vda_curve_eval.h>
#include <vdacheck/eval/vda_eval_result.h>
#include <vdacheck/eval/vda_path_eval.h>
#include <vdacheck/eval/vda_side.h>
#include <vdacheck/eval/vda_surf_eval.h>

#include <vdacheck/mesh/vda_scene.h>
#include <vdacheck/mesh/vda_tessellation_options.h>
#include <vdacheck/mesh/vda_tessellator.h>

#include <vdacheck/check/vdc_error_packet.h>
#include <vdacheck/check/vdc_export.h>
#include <vdacheck/check/vdc_file_check.h>
#include <vdacheck/check/vdc_file_check_acc.h>
#include <vdacheck/check/vdc_fix_node.h>
#include <vdacheck/check/vdc_log.h>
#include <vdacheck/check/vdc_logged_packet.h>
#include <vdacheck/check/vdc_traveller.h>

#include <vdacheck/entities/vdc_begin_set_check.h>
#include <vdacheck/entities/vdc_circle_check.h>
#include <vdacheck/entities/vdc_cons_check.h>
#include <vdacheck/entities/vdc_curve_check.h>
#include <vdacheck/entities/vdc_entity_check.h>
#include <vdacheck/entities/vdc_face_check.h>
#include <vdacheck/entities/vdc_group_check.h>
#include <vdacheck/entities/vdc_header_check.h>
#include <vdacheck/entities/vdc_mdi_check.h>
#include <vdacheck/entities/vdc_point_check.h>
#include <vdacheck/entities/vdc_pset_check.h>
#include <vdacheck/entities/vdc_surf_check.h>
#include <vdacheck/entities/vdc_tlist_check.h>
#include <vdacheck/entities/vdc_tmat_check.h>
#include <vdacheck/entities/vdc_top_check.h>

#include <vdacheck/repair/vdc_parameter_repairs.h>
#include <vdacheck/repair/vdc_reference_repairs.h>
#include <vdacheck/repair/vdc_rename.h>
#include <vdacheck/repair/vdc_repair.h>
#include <vdacheck/repair/vdc_unique_names.h>

#include <vdacheck/rules/vdc_problem.h>
#include <vdacheck/rules/vdc_quality_rules.h>
#include <vdacheck/rules/vdc_rule.h>
#include <vdacheck/rules/vdc_rules.h>

#include <vdacheck/quality/vdc_quality_check.h>
#include <vdacheck/quality/vdc_quality_finding.h>
#include <vdacheck/quality/vdc_quality_profile.h>
#include <vdacheck/quality/vdc_quality_report.h>
