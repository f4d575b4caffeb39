#ifndef XPLMPlugin_h
#define XPLMPlugin_h

#include "XPLMDefs.h"

// Messages the simulator sends to every plugin's XPluginReceiveMessage.
#define XPLM_MSG_PLANE_CRASHED 101
#define XPLM_MSG_PLANE_LOADED 102
#define XPLM_MSG_AIRPORT_LOADED 103
#define XPLM_MSG_SCENERY_LOADED 104
#define XPLM_MSG_AIRPLANE_COUNT_CHANGED 105
#define XPLM_MSG_PLANE_UNLOADED 106
#define XPLM_MSG_WILL_WRITE_PREFS 107
#define XPLM_MSG_LIVERY_LOADED 108

XPLM_API XPLMPluginID XPLMGetMyID(void);
XPLM_API int XPLMCountPlugins(void);
XPLM_API void XPLMGetPluginInfo(XPLMPluginID inPlugin, char* outName, char* outFilePath,
                                char* outSignature, char* outDescription);
XPLM_API void XPLMReloadPlugins(void);

// Optional behaviours of the SDK, named by text ("XPLM_USE_NATIVE_PATHS").
// Has: whether this simulator offers the feature; IsEnabled: whether it is on
// for the calling plugin; Enable switches it on (1) or off (0) for it.
XPLM_API int XPLMHasFeature(const char* inFeature);
XPLM_API int XPLMIsFeatureEnabled(const char* inFeature);
XPLM_API void XPLMEnableFeature(const char* inFeature, int inEnable);

#endif
