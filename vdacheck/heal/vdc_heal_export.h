#pragma once

// Symbol export for the healing library. A shared build uses hidden visibility, and only what carries
// VDC_HEAL_API is part of the library's interface; a static build (VDACHECK_STATIC) exports nothing.
#if defined(VDACHECK_STATIC)
#  define VDC_HEAL_API
#elif defined(_WIN32)
#  if defined(VDC_BUILDING_HEAL)
#    define VDC_HEAL_API __declspec(dllexport)
#  else
#    define VDC_HEAL_API __declspec(dllimport)
#  endif
#else
#  define VDC_HEAL_API __attribute__((visibility("default")))
#endif
