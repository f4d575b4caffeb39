// Tests of behaviour that only one feature level has (the 64-bit module at
// 132, the 32-bit module at 122) skip themselves in the other build.
#pragma once

#include <gtest/gtest.h>

#include "base/feature_level.h"

#define KESTRIX_ONLY_AT_LEVEL(level)      \
    if (KESTRIX_FEATURE_LEVEL != (level)) \
    GTEST_SKIP() << "feature level " #level " only; this build is at " << KESTRIX_FEATURE_LEVEL
