// Kestrix's own declarations of the X-Plane SDK surface it uses, written
// from the published API (same names, types and values). A real SDK can be
// used instead with -DXPLANE_SDK_DIR=<sdk root>.
#ifndef XPLMDefs_h
#define XPLMDefs_h

#ifdef __cplusplus
#define XPLM_EXTERN_C extern "C"
#else
#define XPLM_EXTERN_C
#endif

#if defined(_WIN32) && defined(KESTRIX_SDK_STANDIN)
// The simulator stand-in builds XPLM_64.dll itself and exports the SDK.
#define PLUGIN_API XPLM_EXTERN_C __declspec(dllexport)
#define XPLM_API XPLM_EXTERN_C __declspec(dllexport)
#define XPWIDGETS_API XPLM_EXTERN_C __declspec(dllexport)
#elif defined(_WIN32) && defined(KESTRIX_SDK_LINKED_IN)
// The stand-in linked into a program of its own (kestrix-check): the SDK
// functions are plain functions of that program.
#define PLUGIN_API XPLM_EXTERN_C
#define XPLM_API XPLM_EXTERN_C
#define XPWIDGETS_API XPLM_EXTERN_C
#elif defined(_WIN32)
#define PLUGIN_API XPLM_EXTERN_C __declspec(dllexport)
#define XPLM_API XPLM_EXTERN_C __declspec(dllimport)
#define XPWIDGETS_API XPLM_EXTERN_C __declspec(dllimport)
#else
// Entry points are the only symbols a plugin module makes visible.
#define PLUGIN_API XPLM_EXTERN_C __attribute__((visibility("default")))
#define XPLM_API XPLM_EXTERN_C
#define XPWIDGETS_API XPLM_EXTERN_C
#endif

// A plugin's id as the simulator hands it out.
typedef int XPLMPluginID;
#define XPLM_NO_PLUGIN_ID (-1)
#define XPLM_PLUGIN_XPLANE (0)

#endif
