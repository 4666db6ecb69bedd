// The Matroska writer's module: the one entry the programs look up in it.
#include "matroska_sink.h"

extern "C" splitwick::PassWriter* splitwickMatroskaWriter(const splitwick::MkvSetup* setup) {
    return new splitwick::MatroskaSink(*setup);
}
