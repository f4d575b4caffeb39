#include "base/settings.h"

Settings settings;
PathState paths;
