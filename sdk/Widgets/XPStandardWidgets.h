#ifndef XPStandardWidgets_h
#define XPStandardWidgets_h

#include "XPWidgetDefs.h"

#define xpWidgetClass_MainWindow 1
#define xpWidgetClass_SubWindow 2
#define xpWidgetClass_Button 3
#define xpWidgetClass_TextField 4
#define xpWidgetClass_ScrollBar 5
#define xpWidgetClass_Caption 6
#define xpWidgetClass_GeneralGraphics 7
#define xpWidgetClass_Progress 8

// Main window
enum { xpMainWindowStyle_MainWindow = 0, xpMainWindowStyle_Translucent = 1 };
enum { xpProperty_MainWindowType = 1100, xpProperty_MainWindowHasCloseBoxes = 1200 };
enum { xpMessage_CloseButtonPushed = 1200 };

// Buttons
enum {
    xpPushButton = 0,
    xpRadioButton = 1,
    xpWindowCloseBox = 3,
    xpLittleDownArrow = 5,
    xpLittleUpArrow = 6
};
enum {
    xpButtonBehaviorPushButton = 0,
    xpButtonBehaviorCheckBox = 1,
    xpButtonBehaviorRadioButton = 2
};
enum {
    xpProperty_ButtonType = 1300,
    xpProperty_ButtonBehavior = 1301,
    xpProperty_ButtonState = 1302
};
enum { xpMsg_PushButtonPressed = 1300, xpMsg_ButtonStateChanged = 1301 };

// Captions
enum { xpProperty_CaptionLit = 1600 };

#endif
