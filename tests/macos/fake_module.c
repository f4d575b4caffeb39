/* A module with the five entry points and one SDK call, from which
 * check_rejects.cmake links both a sound module and faulty ones. */
extern int XPLMGetMyID(void);

int XPluginStart(char* name, char* signature, char* description) {
    (void)name;
    (void)signature;
    (void)description;
    return XPLMGetMyID() >= 0;
}
void XPluginStop(void) {}
int XPluginEnable(void) {
    return 1;
}
void XPluginDisable(void) {}
void XPluginReceiveMessage(int from, int message, void* param) {
    (void)from;
    (void)message;
    (void)param;
}
/* Exported only by the case that exports too much. */
int KestrixExtra(void) {
    return 2;
}
