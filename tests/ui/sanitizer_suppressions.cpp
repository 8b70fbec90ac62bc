// Fontconfig keeps a few allocations of its own to the end of the process; the leak checker
// of sanitizer builds is told to ignore them (and only them).
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
