#pragma once

// What the shared library exports: its layers are built with hidden visibility, so only
// what carries this mark is reachable from a host.
#if defined(__GNUC__)
#  define KADU2217_EXPORT __attribute__((visibility("default")))
#else
#  define KADU2217_EXPORT
#endif
