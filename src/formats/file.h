#pragma once
// The file object lives in io/, below the settings and the formats; the
// readers and writers keep this include.
#include "io/file.h"
