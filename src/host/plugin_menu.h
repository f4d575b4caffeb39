// The "Kestrix" menu under the simulator's Plugins menu.
#pragma once

// Appends the menu and its items "Status", "Reconnect", "Reload Plugins".
void CreatePluginMenu();

// The menu's handler; the item reference is one of the strings "1", "2", "3".
void InstructionsMenuHandler(void* menuRef, void* itemRef);
