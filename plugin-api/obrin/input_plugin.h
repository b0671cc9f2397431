/* The contract between the editor and its input plug-ins.
 *
 * An input plug-in is a shared library that exports one C function, "Input",
 * which converts one music file into a PCM WAV file the editor can play. The
 * editor picks the library by the music file's extension ("filetype.ini"),
 * loads it immediately before the call and releases it right after, so every
 * conversion starts from fresh library state.
 *
 * This header is plain C so that a plug-in can be written in either language;
 * the editor and every plug-in include this one copy.
 */
#ifndef OBRIN_INPUT_PLUGIN_H
#define OBRIN_INPUT_PLUGIN_H

#include <stdint.h>

/* The callee-cleans calling convention of the original platform. Both function
 * types below use it; elsewhere it is the platform's only C convention. */
#if defined(_WIN32) && !defined(_WIN64)
#define OBRIN_PLUGIN_CALL __stdcall
#else
#define OBRIN_PLUGIN_CALL
#endif

/* Marks the one symbol a plug-in exports; everything else stays hidden. */
#if defined(_WIN32)
#define OBRIN_PLUGIN_EXPORT __declspec(dllexport)
#else
#define OBRIN_PLUGIN_EXPORT __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Progress report from a plug-in to the editor.
 *
 * Called by the plug-in only on the thread that called Input, any number of
 * times while it converts. total and done share a unit of the plug-in's
 * choosing (vellin: bytes of encoded audio; wendax: hundredths of a second);
 * total stays the same during one Input call and done runs from 0 to total,
 * except that a plug-in that does not know the total yet (wendax while the
 * file opens) reports 0 of 0 until it does.
 * The editor updates its wait dialog and lets its user interface run inside
 * the call.
 *
 * Returns 0 to go on, 1 to ask the plug-in to stop now. */
typedef int32_t(OBRIN_PLUGIN_CALL* ProgressCallback)(int32_t total, int32_t done);

/* The plug-in's entry point, exported under the exact name "Input".
 *
 * sourcePath: the music file, a NUL-terminated path exactly as the user chose
 *   it. wavPath: the WAV file to create or overwrite. Both are owned by the
 *   editor and valid for the duration of the call only.
 * progress: never null; see ProgressCallback.
 *
 * Synchronous: returns when the WAV file is complete and closed (0), or on a
 * failure or a stop asked for by the callback (nonzero, a code of the
 * plug-in's own in 1..4). After a stop the WAV file written so far stays a
 * well-formed RIFF WAVE file. The WAV always holds a "fmt " chunk describing
 * integer PCM and a "data" chunk.
 *
 * One conversion at a time per loaded library: a plug-in may keep the
 * callback in module state. */
typedef int32_t(OBRIN_PLUGIN_CALL* InputFunction)(const char* sourcePath, const char* wavPath,
                                                  ProgressCallback progress);

/* The export's name, for the host's symbol lookup. */
#define OBRIN_INPUT_SYMBOL "Input"

#ifdef __cplusplus
}
#endif

#endif /* OBRIN_INPUT_PLUGIN_H */
