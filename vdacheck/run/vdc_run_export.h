#pragma once
// Symbol export for the run library. A shared build uses hidden visibility, and only what carries
// VDC_RUN_API is part of the library's interface; a static build (VDACHECK_STATIC) exports nothing.
#if defined(VDACHECK_STATIC)
#  define VDC_RUN_API
#elif defined(_WIN32)
#  if defined(VDC_BUILDING_RUN)
#    define VDC_RUN_API __declspec(dllexport)
#  else
#    define VDC_RUN_API __declspec(dllimport)
#  endif
#else
#  define VDC_RUN_API __attribute__((visibility("default")))
#endif
