#pragma once

// Marks the public API: the shared library exports what carries it and hides everything else, so
// an app links only against what these headers promise. Classes carry it so that their type
// information is one and the same on both sides of the library boundary.
#if defined(__GNUC__)
#define ZELVORA_EXPORT __attribute__((visibility("default")))
#else
#define ZELVORA_EXPORT
#endif
