#pragma once

// Symbol export for the model library (utilities, geometry, entities, reader and writer).
// The library is built with hidden visibility; only what carries VDA_API is part of its interface.
#if defined(_WIN32)
#  if defined(VDA_BUILDING_MODEL)
#    define VDA_API __declspec(dllexport)
#  else
#    define VDA_API __declspec(dllimport)
#  endif
#else
#  define VDA_API __attribute__((visibility("default")))
#endif
