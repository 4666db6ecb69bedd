// The Matroska writer's module: the one entry the programs look up in it.
#include <malloc.h>

#include "matroska_sink.h"

extern "C" splitwick::PassWriter* splitwickMatroskaWriter(const splitwick::MkvSetup* setup) {
    // The muxer grows each cluster's buffer by large allocations between the frees of many
    // small ones; with glibc's fast bins every large one first merged all those (a twentieth of
    // the mux's time). Without them small blocks still go through the per-thread cache.
    static const bool fewerMerges = mallopt(M_MXFAST, 0) == 1;
    (void)fewerMerges;
    return new splitwick::MatroskaSink(*setup);
}
