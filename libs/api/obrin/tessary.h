/* tessary: makes a lyric MP3, a copy of an MP3 file with the timed lyric
 * lines in an ID3v2.3 tag put in front of it.
 *
 * The editor loads the library by name ("tessary.dll") for one export and
 * releases it afterwards, so a freshly loaded library starts with an empty
 * item list. All calls come from one thread, in this order: optionally Init,
 * then AddItem for each line in the order the lines are to appear, then
 * CreateTessary. The one item list is library-wide.
 *
 * Text and path arguments are zero-terminated byte strings (lyrics in
 * Shift-JIS) owned by the caller for the duration of the call.
 *
 * The source is never changed. The output appears, or replaces an earlier
 * file of that name, only complete: it is written to a temporary file in the
 * same folder and renamed into place, so a failure writes nothing.
 */
#ifndef OBRIN_TESSARY_H
#define OBRIN_TESSARY_H

#include <stdint.h>

#include "obrin/library_call.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The format's limits: the whole tag in bytes, and one item's text in bytes
 * with the CR LF that the library adds. */
#define TESSARY_MAX_TAG_BYTES 32000
#define TESSARY_MAX_ITEM_BYTES 2043

/* Init: empties the item list. Always 0. */
typedef int32_t(OBRIN_LIBRARY_CALL* TessaryInitFunction)(void);

/* AddItem: appends an item, the text (null counts as empty) with CR LF added
 * and the time in milliseconds, of which the tag keeps whole seconds.
 * 0: added. 1: out of memory; the list is unchanged. */
typedef int32_t(OBRIN_LIBRARY_CALL* TessaryAddItemFunction)(const char* text, int32_t milliseconds);
enum { TESSARY_ITEM_ADDED = 0, TESSARY_ITEM_NOT_ADDED = 1 };

/* CreateTessary: writes the output, the tag of the current items followed by
 * the source byte for byte. The item list is not changed, so a second call
 * writes the same items again.
 * 0: written.
 * 1: the source cannot be opened or read (missing, not a plain file).
 * 2: the output cannot be created or written, or it is the source file
 *    itself (under any name: "./a.mp3", a symbolic or hard link); the
 *    source and any earlier output are untouched.
 * 4: the items are beyond the format's limits (an item over
 *    TESSARY_MAX_ITEM_BYTES, or a tag over TESSARY_MAX_TAG_BYTES); nothing is
 *    written.
 * (3 is left out: the editor uses it for an export with no lines.) */
typedef int32_t(OBRIN_LIBRARY_CALL* TessaryCreateFunction)(const char* sourcePath,
                                                           const char* outputPath);
enum {
    TESSARY_WRITTEN = 0,
    TESSARY_SOURCE_UNREADABLE = 1,
    TESSARY_OUTPUT_UNWRITABLE = 2,
    TESSARY_BEYOND_LIMITS = 4
};

/* The exports' names, for the editor's symbol lookup. */
#define TESSARY_INIT_SYMBOL "Init"
#define TESSARY_ADD_ITEM_SYMBOL "AddItem"
#define TESSARY_CREATE_SYMBOL "CreateTessary"

#ifdef __cplusplus
}
#endif

#endif /* OBRIN_TESSARY_H */
