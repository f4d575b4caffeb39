// simavr keeps a few small allocations of its own (interrupt names, notify
// hooks) to the end of the program; the leak checker of the sanitized
// build is told they are the library's, not the tests'.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libsimavr.so\n";
}
