// The opaque KodraContext of the reentrant exports: a context, nothing more, so that the
// export files of every subsystem reach the same one.
#pragma once

#include "frame/context.h"

struct KodraContext {
    kodra::Context context;
};
