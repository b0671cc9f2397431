// A library that loads but exports no "Input": the host must report 103.
#include "obrin/input_plugin.h"

extern "C" OBRIN_PLUGIN_EXPORT int32_t NotInput() {
    return 0;
}
