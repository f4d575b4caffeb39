// simhost: a headless stand-in for the X-Plane simulator.
//
// It implements the SDK functions the plugin calls (declared in sdk/) the way
// the simulator behaves, and offers this control API to tests and to the
// kestrix-sim program: datarefs and commands by name, flight loops on a
// virtual clock, the Plugins menu, widgets, plugin information and messages.
// Everything runs on the calling thread, like the simulator's main thread.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "XPLMDataAccess.h"
#include "XPLMMenus.h"
#include "XPLMProcessing.h"
#include "XPLMUtilities.h"
#include "XPWidgetDefs.h"

namespace simhost {

// Forget every dataref, command, flight loop, menu, widget and setting.
// Handles handed out before stay safe to use: they act like unknown ones until
// the same name is added again, which brings the same handle back. No plugin
// is started afterwards, native paths and every feature are off.
void Reset();

// What the simulator does when it unloads a plugin: its datarefs are
// unregistered, its command handlers, flight loops, menus and widgets are
// dropped without calling into it, and its features are switched off. Table
// datarefs, commands, the clock and the plugin settings stay. Call it after
// XPluginStop and before unloading. No plugin is started afterwards.
void ForgetPlugin();

// ---- A disabled plugin is never called ---------------------------------------
//
// The simulator calls no callback of a disabled plugin, and a plugin is
// disabled from XPluginStart until its first XPluginEnable returns 1. While it
// is disabled:
//  - flight loops keep their registration and schedule but are not called;
//    a loop that fell due meanwhile is called once on the first frame after
//    the plugin is enabled again (its elapsed time covers the whole pause),
//    then runs on the interval it returns;
//  - choosing one of its menu items and clicking its widgets reach nobody
//    (ChooseMenuItem, PushButton and the others return false), and its widget
//    callbacks hear no message at all, xpMsg_Destroy included;
//  - a command runs the simulator's own action but none of its handlers, the
//    continue phase of a held command included;
//  - its datarefs read as 0 (no elements, no bytes) for every reader, the
//    control API included, and writes to them are ignored and not counted;
//  - SendMessage does not deliver messages.
// Start() marks the plugin disabled before XPluginStart, Enable() marks it
// enabled when XPluginEnable returns 1 (while XPluginEnable runs it is still
// disabled), Disable() after XPluginDisable and Stop() before XPluginStop mark
// it disabled. With no plugin started since Reset() or ForgetPlugin() (tests
// that use the stand-in directly) every callback is called.
//
// True while a started plugin is enabled.
bool PluginEnabled();
// True when callbacks are called: the plugin is enabled or none is started.
bool PluginCallable();

// ---- Datarefs ---------------------------------------------------------------

// Loads a table in the simulator's DataRefs.txt format: a header line, then
// one dataref per line, tab-separated: name, type, writable (y/n), units,
// description. Types: int, float, double, float[N], int[N], byte[N] or byte[].
// "double" datarefs offer float and double access (mask 6), as the simulator's
// do. path is in UTF-8. Returns the number of datarefs added, or -1 when the
// file cannot be read.
int LoadDataRefTable(const std::string& path);
// The same for the table's text, already read.
int AddDataRefTableText(std::string_view text);

// Adds (or replaces) a simulator-owned dataref. arraySize applies to array and
// byte types (byte[] without a size holds 1024 bytes).
XPLMDataRef AddDataRef(const std::string& name, XPLMDataTypeID types, bool writable,
                       int arraySize = 0);
bool HasDataRef(const std::string& name);
// True for a dataref some plugin registered with XPLMRegisterDataAccessor.
bool IsPluginDataRef(const std::string& name);

// Direct access that bypasses writability (the simulator's own side).
// Scalars share one value whatever accessor reads them.
void SetValue(const std::string& name, double value);
double GetValue(const std::string& name);
void SetElement(const std::string& name, int index, double value);
double GetElement(const std::string& name, int index);
void SetBytes(const std::string& name, const std::string& bytes);
// SetBytes keeps the buffer's size (cuts longer text, zeroes the rest);
// GetBytes returns the buffer without its trailing zero bytes.
std::string GetBytes(const std::string& name);
// Number of successful XPLMSetData* calls on the dataref through the SDK
// (allowed by type and writability, and writing at least one element).
int WriteCount(const std::string& name);

// ---- Watching what the plugin does to the simulator ---------------------------

// One dataref write through the SDK that took effect (counted by WriteCount).
struct DataRefWrite {
    std::string name;
    XPLMDataTypeID type = xplmType_Unknown;  // the accessor used: one type bit
    int offset = -1;                         // first element or byte; -1 for a scalar
    std::vector<double> values;              // the numbers written; none for byte data
    std::string bytes;                       // the bytes written to byte data
};
// Called after every such write; nullptr stops it. Writes through the
// control API (the simulator's own side) are not reported.
void SetDataRefWriteObserver(std::function<void(const DataRefWrite&)> observer);

enum class CommandCall { Once, Begin, End };
// Called for every XPLMCommandOnce, XPLMCommandBegin and XPLMCommandEnd on a
// live command, before it runs; nullptr stops it. Control API calls (a key
// or another plugin using the command) are not reported.
void SetCommandObserver(std::function<void(const std::string& name, CommandCall call)> observer);

// ---- Commands ----------------------------------------------------------------

// Loads a table in the simulator's Commands.txt format (name, then the
// description from column 52). Returns the number added, or -1.
int LoadCommandTable(const std::string& path);
int AddCommandTableText(std::string_view text);
XPLMCommandRef AddCommand(const std::string& name, const std::string& description = "");
bool HasCommand(const std::string& name);

struct CommandCounts {
    int once = 0;        // XPLMCommandOnce calls
    int begin = 0;       // XPLMCommandBegin calls
    int end = 0;         // XPLMCommandEnd calls
    bool held = false;   // begun and not yet ended
    int simActions = 0;  // times the simulator's own action ran (not stopped by a handler)
};
// simActions counts presses: the begin phase of a Once or a Begin that no
// "before" handler stopped. An End without a Begin is counted in end but sends
// no phase to the handlers.
CommandCounts Counts(const std::string& name);
// Number of handlers registered on the command.
int HandlerCount(const std::string& name);
// Runs a command as the simulator does when a key or another plugin uses it
// (handlers included, counted like the SDK calls).
void CommandOnce(const std::string& name);
void CommandBegin(const std::string& name);
void CommandEnd(const std::string& name);

// ---- Flight loops and the virtual clock -------------------------------------

struct FlightLoop {
    XPLMFlightLoop_f callback = nullptr;
    void* refcon = nullptr;
    float interval = 0;  // as last registered or returned: >0 s, <0 frames, 0 stopped
    int calls = 0;
};
std::vector<FlightLoop> FlightLoops();
// The loop registered with this callback, or nullptr. The pointer is valid
// until the loop is unregistered or the next frame runs.
const FlightLoop* FindFlightLoop(XPLMFlightLoop_f callback);

// Length of one frame in seconds (default 0.025). It is also written into
// "sim/operation/misc/frame_rate_period" when that dataref exists.
void SetFramePeriod(double seconds);
double FramePeriod();
// Runs one frame: advances the virtual clock by the frame period, adds it to
// "sim/time/total_flight_time_sec" when that dataref exists and
// SetFlightTimeRunning(true), calls every flight loop that is due, then sends
// continue phases to held commands. Returns the number of callbacks called.
// Flight time does not run until SetFlightTimeRunning(true) (Reset stops it).
int RunFrame();
void RunFrames(int frames);
// Runs frames until the virtual clock has advanced by at least seconds.
void RunFor(double seconds);
double Now();
int FrameCount();
void SetFlightTimeRunning(bool running);

// ---- Menus -------------------------------------------------------------------

struct MenuItem {
    std::string name;
    void* itemRef = nullptr;
    XPLMMenuID submenu = nullptr;  // set when a menu was created on this item
};
XPLMMenuID PluginsMenu();
std::string MenuName(XPLMMenuID menu);
std::vector<MenuItem> MenuItems(XPLMMenuID menu);
// Finds the submenu path["Kestrix"] under the Plugins menu and chooses item
// itemName in it, calling the menu's handler with its menu and item
// references, as the simulator does on a click. False if not found.
bool ChooseMenuItem(const std::string& menuName, const std::string& itemName);
// Chooses item index of any menu; false when the menu, the item or the
// menu's handler does not exist, or the plugin is disabled.
bool ChooseMenuItemAt(XPLMMenuID menu, int index);

// ---- Widgets -----------------------------------------------------------------

struct Widget {
    XPWidgetID id = nullptr;
    int left = 0, top = 0, right = 0, bottom = 0;
    bool visible = false;  // the widget's own flag
    bool isRoot = false;
    XPWidgetClass widgetClass = 0;
    std::string descriptor;
    XPWidgetID parent = nullptr;
    std::vector<XPWidgetID> children;  // in creation order
    std::map<int, intptr_t> properties;
    std::vector<XPWidgetFunc_t> callbacks;  // most recently added first
};
// Every live widget in creation order.
std::vector<XPWidgetID> Widgets();
const Widget* FindWidget(XPWidgetID id);
// First live widget whose descriptor equals text, or nullptr.
XPWidgetID FindWidgetByDescriptor(const std::string& text);
// Visible as the user sees it: the widget and all its parents are visible.
bool IsShown(XPWidgetID id);
// What the user does, with the messages the simulator sends (dispatched up
// the chain: the widget's callbacks, newest first, then its parents', until
// one returns 1). Each returns whether some callback handled the message.
bool PushButton(XPWidgetID button);  // xpMsg_PushButtonPressed
// Flips xpProperty_ButtonState, then sends xpMsg_ButtonStateChanged.
bool ToggleCheckBox(XPWidgetID button);
bool PressCloseBox(XPWidgetID window);  // xpMessage_CloseButtonPushed

// Called after every descriptor or visibility change of any widget, creation
// and destruction included (a descriptor set to the text it has is no change).
void SetWidgetObserver(std::function<void(XPWidgetID)> observer);

// ---- Plugin information, aircraft, messages -----------------------------------

// The id XPLMGetMyID returns (default 1) and the path that
// XPLMGetPluginInfo reports for it.
void SetPluginId(XPLMPluginID id);
void SetModulePath(const std::string& path);
// The user aircraft's .acf path reported by XPLMGetNthAircraftModel(0).
void SetAircraftPath(const std::string& path);

// SDK features: XPLMHasFeature knows "XPLM_USE_NATIVE_PATHS" and
// "XPLM_USE_NATIVE_WIDGET_WINDOWS", both off until the plugin enables them;
// XPLMEnableFeature ignores other names and XPLMIsFeatureEnabled reports 0
// for them.
//
// A macOS host: until the plugin enables "XPLM_USE_NATIVE_PATHS", the paths
// XPLMGetPluginInfo and XPLMGetNthAircraftModel hand out are legacy
// colon-separated ones ("/Users/me/X-Plane 12/Aircraft/a.acf" becomes
// "Macintosh HD:Users:me:X-Plane 12:Aircraft:a.acf"). Off by default and
// after Reset(), as on the other hosts, which hand out native paths anyway.
void SetLegacyPaths(bool on);
// The legacy form of a native path: the boot volume "Macintosh HD" (or the
// volume named under /Volumes/) and the path's parts joined by ':', with a
// ':' inside a name shown as '/'. A relative path starts with ':'.
std::string LegacyPath(const std::string& nativePath);

int ReloadPluginsCount();
// Lines given to XPLMDebugString.
std::vector<std::string> DebugStrings();
// Forgets the lines kept so far (a long run that logs much keeps its memory).
void ForgetDebugStrings();
// Called with every string given to XPLMDebugString, as it is given (the
// simulator writes them to its Log.txt; kestrix-sim does the same). Reset()
// removes it.
void SetDebugStringObserver(std::function<void(const std::string&)> observer);

// The five entry points of one plugin, either taken from a module loaded with
// dlopen (as the simulator loads lin.xpl) or given directly by a test that
// links the plugin's code in.
struct PluginModule {
    int (*start)(char* outName, char* outSignature, char* outDescription) = nullptr;
    void (*stop)() = nullptr;
    int (*enable)() = nullptr;
    void (*disable)() = nullptr;
    void (*receive)(XPLMPluginID from, int message, void* param) = nullptr;
    void* handle = nullptr;                    // dlopen handle, null for linked-in code
    std::string name, signature, description;  // filled by Start()
};
// dlopen (RTLD_NOW | RTLD_LOCAL) and look up the five entry points. On failure
// returns false and puts the reason into *error.
bool LoadModule(const std::string& path, PluginModule* out, std::string* error);
void UnloadModule(PluginModule* module);
// XPluginStart with 256-byte buffers; stores the identity texts. The plugin
// is disabled from here until Enable() succeeds.
int Start(PluginModule& module);
// Sends a message as the simulator does (from the simulator, id 0); only an
// enabled plugin (or a module that was never started) receives it.
void SendMessage(PluginModule& module, int message, void* param = nullptr);
// The other entry points, which also set the enabled state (see "A disabled
// plugin is never called"); a missing one does nothing (Enable returns 0).
int Enable(PluginModule& module);
void Disable(PluginModule& module);
void Stop(PluginModule& module);

}  // namespace simhost
