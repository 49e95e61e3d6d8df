#pragma once

// Symbol export for the checker library. Built with hidden visibility; the interface carries VDC_API.
#if defined(_WIN32)
#  if defined(VDC_BUILDING_CHECKER)
#    define VDC_API __declspec(dllexport)
#  else
#    define VDC_API __declspec(dllimport)
#  endif
#else
#  define VDC_API __attribute__((visibility("default")))
#endif
