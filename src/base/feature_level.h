// What differs between the feature levels the plugin is built at. The
// 64-bit module stands at level 132; the 32-bit module, for older simulators,
// at the earlier level 122. The build selects one with KESTRIX_FEATURE_LEVEL;
// every behaviour that differs reads it from here, so each has one code path.
#pragma once

#include <cstdint>

#ifndef KESTRIX_FEATURE_LEVEL
#define KESTRIX_FEATURE_LEVEL 132
#endif

struct FeatureLevel {
    const char* version;     // shown in the status window's title
    uint8_t minLibVersion;   // firmware library versions accepted from ...
    uint8_t maxLibVersion;   // ... up to, not including, this one
    bool pauseButton;        // the window's PAUSE button
    bool windowOnConnect;    // the WINDOW_ON_CONNECT setting and its check box
    bool enableUsbCheckBox;  // the "Enable USB" check box writing USB_DEVICE_COUNT
};

inline constexpr FeatureLevel kLevel132{"1.32", 131, 140, true, true, false};
inline constexpr FeatureLevel kLevel122{"1.22", 124, 140, false, false, true};

static_assert(KESTRIX_FEATURE_LEVEL == 132 || KESTRIX_FEATURE_LEVEL == 122,
              "KESTRIX_FEATURE_LEVEL is 132 or 122");
inline constexpr FeatureLevel kFeatures = KESTRIX_FEATURE_LEVEL == 122 ? kLevel122 : kLevel132;
