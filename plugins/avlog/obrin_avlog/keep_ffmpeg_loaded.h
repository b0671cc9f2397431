#pragma once

#include <dlfcn.h>

#include <initializer_list>

extern "C" {
#include <libavcodec/version_major.h>
#include <libavformat/version_major.h>
#include <libavutil/macros.h>
#include <libswresample/version_major.h>
}

namespace obrin::avlog {

// Under AddressSanitizer, keeps FFmpeg's libraries, and every library they
// pull in, loaded for the rest of the process once a plug-in has loaded
// them. Some of those (libgcrypt, libgomp, pixman) allocate once when they
// are loaded and keep the memory in their own globals; unloading them with
// the plug-in would leave that memory without an owner, and LeakSanitizer
// would report it at exit as leaks from an unknown module, hiding any real
// leak among them. The plug-in itself is still unloaded. Does nothing in
// other builds.
inline void KeepFfmpegLoadedUnderAsan() {
#if defined(__SANITIZE_ADDRESS__)
    for (const char* name : {"libavcodec.so." AV_STRINGIFY(LIBAVCODEC_VERSION_MAJOR),
                             "libavformat.so." AV_STRINGIFY(LIBAVFORMAT_VERSION_MAJOR),
                             "libswresample.so." AV_STRINGIFY(LIBSWRESAMPLE_VERSION_MAJOR)}) {
        // Takes a reference that is never given back; a library not loaded
        // stays so.
        (void)::dlopen(name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
    }
#endif
}

}  // namespace obrin::avlog
