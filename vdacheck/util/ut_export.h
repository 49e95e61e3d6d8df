#pragma once

// Symbol export for the model library (utilities, geometry, entities, reader and writer). A shared build
// uses hidden visibility, and only what carries VDA_API is part of the library's interface; a static build
// (VDACHECK_STATIC) exports nothing.
#if defined(VDACHECK_STATIC)
#  define VDA_API
#elif defined(_WIN32)
#  if defined(VDA_BUILDING_MODEL)
#    define VDA_API __declspec(dllexport)
#  else
#    define VDA_API __declspec(dllimport)
#  endif
#else
#  define VDA_API __attribute__((visibility("default")))
#endif
