// The Matroska writer's module: the one entry the programs look up in it.
#include "matroska_sink.h"

extern "C" splitwick::MatroskaOutput* splitwickMatroskaOutput(const splitwick::MatroskaSetup* setup,
                                                              splitwick::Report* report) {
    return new splitwick::MatroskaSink(*setup, *report);
}
