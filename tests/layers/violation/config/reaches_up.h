// A file that breaks the layer order on purpose: the check must catch it.
#pragma once

#include "base/log.h"
#include "ui/status_window.h"
