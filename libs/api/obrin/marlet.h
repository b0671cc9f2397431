/* marlet: writes the lyrics file of the SP250 portable player (".snc") and
 * judges whether a lyric line fits the player's two displays.
 *
 * The editor loads the library by name ("marlet.dll") for one export and
 * releases it afterwards. All calls come from one thread, in this order:
 * Init, then any number of Add, then Close; Check may come at any time. The
 * library holds one output file at a time, in a single library-wide slot.
 *
 * Text arguments are zero-terminated Shift-JIS byte strings owned by the
 * caller for the duration of the call; a null pointer counts as the empty
 * text. Lengths are byte counts, so a full-width character counts 2.
 *
 * The file: one record per Add, in call order, with no header or trailer:
 *   A2 E2, the time as eight ASCII digits (minutes 4, seconds 2, hundredths 2,
 *   zero-padded; the hundredths carry tenths only, so their last digit is 0;
 *   10 000 minutes or more take more digits; negative times print as
 *   "00000000"), A2 D0, the text byte for byte, 0D 0A.
 *
 * Saving: the file appears under its name, or replaces an earlier file of
 * that name, only at Close and only complete. Until then the records go to a
 * temporary file in the same folder, and every Add hands its record to the
 * system before it returns, so a crash of the program loses no line that
 * was added and leaves an earlier file of that name as it was.
 */
#ifndef OBRIN_MARLET_H
#define OBRIN_MARLET_H

#include <stdint.h>

#include "obrin/library_call.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Widths of the two displays in bytes. */
#define MARLET_REMOTE_WIDTH 32
#define MARLET_BODY_WIDTH 48

/* Init: opens the file at sncPath for writing (the slot holds it from now on).
 * If a file is still open, it is first finished as Close would finish it.
 * 0: opened. 1: cannot be opened (a missing or unwritable folder, a path
 * that names a folder or a file that may not be written); the slot is then
 * empty. */
typedef int32_t(OBRIN_LIBRARY_CALL* MarletInitFunction)(const char* sncPath);
enum { MARLET_OPENED = 0, MARLET_CANNOT_OPEN = 1 };

/* Check: grades a line against the displays; needs no open file.
 * 0: fits both (at most 32 bytes). 1: too long for the remote control only
 * (33 to 48 bytes). 2: too long for the player body too (more than 48). */
typedef int32_t(OBRIN_LIBRARY_CALL* MarletCheckFunction)(const char* text);
enum { MARLET_FITS = 0, MARLET_OVER_REMOTE = 1, MARLET_OVER_BODY = 2 };

/* Add: appends one record with the time in milliseconds and the text.
 * 0: written. 2: no file is open; nothing was written. 3: the system refused
 * the record; the file stays open, but Close will not save it. */
typedef int32_t(OBRIN_LIBRARY_CALL* MarletAddFunction)(int32_t milliseconds, const char* text);
enum { MARLET_ADDED = 0, MARLET_NOT_OPEN = 2, MARLET_ADD_FAILED = 3 };

/* Close: finishes the open file and empties the slot; with no file open it
 * does nothing. 0: saved, or nothing was open. 1: the file could not be saved
 * complete (a refused record, or the system failed to store or rename it);
 * an earlier file of that name is left as it was. */
typedef int32_t(OBRIN_LIBRARY_CALL* MarletCloseFunction)(void);
enum { MARLET_CLOSED = 0, MARLET_NOT_SAVED = 1 };

/* The exports' names, for the editor's symbol lookup. */
#define MARLET_INIT_SYMBOL "Init"
#define MARLET_CHECK_SYMBOL "Check"
#define MARLET_ADD_SYMBOL "Add"
#define MARLET_CLOSE_SYMBOL "Close"

#ifdef __cplusplus
}
#endif

#endif /* OBRIN_MARLET_H */
