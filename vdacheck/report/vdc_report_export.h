#pragma once

// Symbol export for the report library. Built with hidden visibility; the interface carries VDC_REPORT_API.
#if defined(_WIN32)
#  if defined(VDC_BUILDING_REPORT)
#    define VDC_REPORT_API __declspec(dllexport)
#  else
#    define VDC_REPORT_API __declspec(dllimport)
#  endif
#else
#  define VDC_REPORT_API __attribute__((visibility("default")))
#endif
