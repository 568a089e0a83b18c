#pragma once
// The functions that run for every pixel are built twice on x86-64: for any processor,
// and for those with SSE4.1, whose rounding instructions take floor and rint in one
// step instead of a dozen. The program picks one when it starts. Both give the same
// results to the bit: they perform the same IEEE operations in the same order (nothing
// is contracted into a fused multiply-add, nothing reassociated), only with other
// instructions.
//
// MARVANE_INLINE marks the helpers that must be built into them, not called.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define MARVANE_PER_PIXEL __attribute__((target_clones("sse4.1", "default")))
#else
#define MARVANE_PER_PIXEL
#endif
#define MARVANE_INLINE [[gnu::always_inline]] inline
