/* How the export libraries marlet and tessary mark their C exports.
 *
 * The editor loads each library by file name, looks its exports up by their
 * plain names and calls them through the function types of the library's own
 * header. Everything else in a library stays hidden.
 */
#ifndef OBRIN_LIBRARY_CALL_H
#define OBRIN_LIBRARY_CALL_H

/* The callee-cleans calling convention of the original platform; elsewhere
 * the platform's only C convention. */
#if defined(_WIN32) && !defined(_WIN64)
#define OBRIN_LIBRARY_CALL __stdcall
#else
#define OBRIN_LIBRARY_CALL
#endif

#if defined(_WIN32)
#define OBRIN_LIBRARY_EXPORT __declspec(dllexport)
#else
#define OBRIN_LIBRARY_EXPORT __attribute__((visibility("default")))
#endif

#endif /* OBRIN_LIBRARY_CALL_H */
