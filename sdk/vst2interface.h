// The VST 2 binary interface, from Debian's free headers (fst-dev). Those headers also list opcodes
// whose numbers nobody has established; they carry placeholder numbers from 100000 up and are marked
// deprecated, so any use of one fails our -Werror build. Only the numbered ones are used here.
#pragma once

#include "pluginterfaces/fst/fst.h"
