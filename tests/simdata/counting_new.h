#pragma once

// Calls of operator new in this program so far.
long AllocationCount();
