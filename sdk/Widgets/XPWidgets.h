#ifndef XPWidgets_h
#define XPWidgets_h

#include "XPWidgetDefs.h"

XPWIDGETS_API XPWidgetID XPCreateWidget(int inLeft, int inTop, int inRight, int inBottom,
                                        int inVisible, const char* inDescriptor, int inIsRoot,
                                        XPWidgetID inContainer, XPWidgetClass inClass);
XPWIDGETS_API void XPDestroyWidget(XPWidgetID inWidget, int inDestroyChildren);
XPWIDGETS_API int XPSendMessageToWidget(XPWidgetID inWidget, XPWidgetMessage inMessage,
                                        XPDispatchMode inMode, intptr_t inParam1,
                                        intptr_t inParam2);
XPWIDGETS_API void XPShowWidget(XPWidgetID inWidget);
XPWIDGETS_API void XPHideWidget(XPWidgetID inWidget);
XPWIDGETS_API int XPIsWidgetVisible(XPWidgetID inWidget);
XPWIDGETS_API void XPSetWidgetDescriptor(XPWidgetID inWidget, const char* inDescriptor);
XPWIDGETS_API int XPGetWidgetDescriptor(XPWidgetID inWidget, char* outDescriptor,
                                        int inMaxDescLength);
XPWIDGETS_API void XPSetWidgetProperty(XPWidgetID inWidget, XPWidgetPropertyID inProperty,
                                       intptr_t inValue);
XPWIDGETS_API intptr_t XPGetWidgetProperty(XPWidgetID inWidget, XPWidgetPropertyID inProperty,
                                           int* inExists);
XPWIDGETS_API void XPAddWidgetCallback(XPWidgetID inWidget, XPWidgetFunc_t inNewCallback);

#endif
