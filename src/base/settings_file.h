// config.ini: the plugin's optional, hand-edited settings file.
#pragma once

#include <istream>
#include <string>

// Applies every recognised line of the text to the settings.
void ReadSettings(std::istream& file);
// Opens path and reads it; false when it cannot be opened.
bool ReadSettingsFile(const std::string& path);

// The check box: sets WINDOW_ON_CONNECT and rewrites config.ini in the plugin
// folder, keeping every other line as it was.
void RewriteWindowOnConnect(bool state);
// The "Enable USB" check box of the earlier level: cleared, it switches the
// serial ports off (USB_DEVICE_COUNT = 0 in config.ini, in force from the
// next start or reconnect); checked, it removes that line again.
void RewriteUsbDeviceCount(bool enabled);
