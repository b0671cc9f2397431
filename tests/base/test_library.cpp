// A tiny library for the loader's tests. It can tell where it was loaded
// from, so a test sees which of several same-named copies the loader chose.
#include <dlfcn.h>

#define SHELL_TEST_EXPORT extern "C" __attribute__((visibility("default")))

SHELL_TEST_EXPORT int ShellTestAnswer() {
    return 42;
}

SHELL_TEST_EXPORT const char* ShellTestLibraryPath() {
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void*>(&ShellTestAnswer), &info) != 0 &&
        info.dli_fname != nullptr) {
        return info.dli_fname;
    }
    return "";
}
