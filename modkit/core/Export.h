#pragma once
// The shared library is built with hidden visibility: only what carries
// MODKIT_EXPORT is offered to programs linking it. A new public class is
// written `class MODKIT_EXPORT Name { ... };`, a new free function in a public
// header `MODKIT_EXPORT Type name(...);`. Templates, inline functions and
// plain enums need nothing. Helpers that only the library's own .cpp files use
// stay unmarked (or in an unnamed namespace).
#if defined(__GNUC__)
#define MODKIT_EXPORT __attribute__((visibility("default")))
#else
#define MODKIT_EXPORT
#endif
