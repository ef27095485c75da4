/*
 * nibdl.h - NibDL, the pen download library.
 *
 * NibDL reads the notes a digital pen keeps in its memory and decodes them into
 * pages of points. It reaches the pen through a port module (libNibUSB.so or
 * libNibSer.so, chosen by the "Port" key of the pen configuration file) and
 * speaks the pen's serial or USB dialect through it.
 *
 * Calling order:
 *   DUVOInit(DUVO_INTERFACE_VERSION)
 *   DUVOOpenDevice(NULL)              loads the port module and opens the pen
 *   DUVORequestData(callback, ctx)    blocks until every note is downloaded
 *   DUVOGetPageCount / DUVOGetPage / DUVOGetTimeStamp / DUVOIsPage...
 *   DUVOFreePage                      for every array DUVOGetPage handed out
 *   DUVOEraseAllPages                 optional: empties the pen's memory
 *   DUVOCloseDevice                   after which DUVOOpenDevice may be called again
 *
 * State: one pen per process; all state is process-wide.
 *
 * Ownership: DUVOGetPage hands the page's point array to the caller, who
 * gives it back with DUVOFreePage, once. A later DUVOGetPage of the same page
 * returns the same array again (after DUVOFreePage the page reads as empty).
 * Arrays that were never handed out are freed by the library when a new
 * download replaces them or when the connection closes; arrays handed out are
 * never freed by the library.
 *
 * Threads: DUVORequestData runs the protocol on a worker thread of its own and
 * calls the progress callback on both threads (kind 0 on the caller's thread,
 * kinds 1 and 2 on the worker). Every export may be called from any thread;
 * the page table is guarded, so a call made while a download runs sees either
 * the old table or the new one, never half of it.
 *
 * Page indexes run from 1 to the page count. An index outside that range
 * yields an empty page: NULL points and count 0, time stamp 0 with the text of
 * time stamp 0, flags 0; no memory outside the table is touched.
 *
 * The library never prints, never exits and never throws; its diagnostic lines
 * ("NibDL.dll: ...") go to stderr only when SCRIVEL_TRACE is set.
 */
#ifndef NIBDL_NIBDL_H
#define NIBDL_NIBDL_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(NIBDL_BUILDING)
#define NIBDL_API __attribute__((visibility("default")))
#else
#define NIBDL_API
#endif

/* The interface version this library offers (also DUVOGetDLLVersion's result). */
#define DUVO_INTERFACE_VERSION 0x01000E00u

/* Return codes: 0 is success; every failure has the top bit set, so a caller
 * may test (int32_t)result < 0. */
#define DUVO_OK 0x00000000u
#define DUVO_E_BADVERSION 0xE0000001u /* DUVOInit asked for a newer interface */
#define DUVO_E_ALREADYOPEN 0xE0000002u /* DUVOOpenDevice while a pen is open */
#define DUVO_E_NOTOPEN 0xE0000003u    /* the port did not open; no pen is open */
#define DUVO_E_NOTINIT 0xE0000006u    /* no DUVOInit; no port module or Port key; pen did not wake */
#define DUVO_E_TIMEOUT 0xE0000008u    /* the pen did not answer in time */
#define DUVO_E_PROTOCOL 0xE0000009u   /* malformed reply, failed checksums, bad packet number */
#define DUVO_E_THREAD 0xE0000010u     /* the download worker could not start */
#define DUVO_E_NOMEMORY 0xE00000FFu   /* the USB receive store could not be allocated */

/* Point events. */
#define DUVO_EVT_PENDOWN 1 /* first point of a stroke */
#define DUVO_EVT_PENMOV 2  /* further point of a stroke */
#define DUVO_EVT_PENUP 3   /* the stroke ends; x and y carry nothing (zero) */

/* Progress callback kinds. */
#define DUVO_PROGRESS_WAITING 0  /* caller's thread: the download's percent changed */
#define DUVO_PROGRESS_TRANSFER 1 /* worker: a note (serial) or the whole stream (USB) arrived */
#define DUVO_PROGRESS_LOST 2     /* worker: USB packets missing and not sent again */

#pragma pack(push, 1)
/* One point record of a page, 6 bytes. */
typedef struct DUVOPAGE {
  uint16_t wEvent; /* DUVO_EVT_... */
  int16_t x;       /* pen units, transformed */
  int16_t y;
} DUVOPAGE;
#pragma pack(pop)

/* The pen's version report. */
typedef struct DUVOVERSION {
  uint32_t dwHead;
  uint32_t dwVersion1;
  uint32_t dwVersion2;
  uint32_t dwVersion3;
  uint32_t dwTail;
} DUVOVERSION;

/* kind: DUVO_PROGRESS_..., percent 0..100, context as given to DUVORequestData. */
typedef void (*DUVOProgressCallback)(int kind, int percent, void* context);

/* Accepts any interface version up to DUVO_INTERFACE_VERSION: DUVO_OK, else DUVO_E_BADVERSION. */
NIBDL_API uint32_t DUVOInit(uint32_t version);
/* Loads the port module and opens the pen (waits one second first). The argument is unused. */
NIBDL_API uint32_t DUVOOpenDevice(void* unused);
/* Closes the pen connection: DUVO_OK, or DUVO_E_NOTINIT / DUVO_E_NOTOPEN. */
NIBDL_API uint32_t DUVOCloseDevice(void);
/* DUVO_INTERFACE_VERSION; needs nothing. */
NIBDL_API uint32_t DUVOGetDLLVersion(void);
/* Downloads and decodes every note; blocks until done; callback may be NULL. */
NIBDL_API uint32_t DUVORequestData(DUVOProgressCallback callback, void* context);
/* *count = number of pages of the last download. */
NIBDL_API uint32_t DUVOGetPageCount(int* count);
/* *points = the page's point array (now the caller's), *count = its records. */
NIBDL_API uint32_t DUVOGetPage(int index, DUVOPAGE** points, int* count);
/* Gives back an array from DUVOGetPage (NULL is accepted). */
NIBDL_API uint32_t DUVOFreePage(DUVOPAGE* points);
/* Erases the pen's memory in the port's dialect; with no pen open, the
 * connection check's code and nothing is sent. */
NIBDL_API uint32_t DUVOEraseAllPages(void);
/* DUVO_OK when initialised, else DUVO_E_NOTINIT; sends nothing. The argument is unused. */
NIBDL_API uint32_t DUVOUpdateFirmware(void* unused);
/* The connection check's result; sends nothing. The argument is unused. */
NIBDL_API uint32_t DUVOSetRawMode(int unused);
/* USB: writes the raw packet image to "YYYYMMDDhhmmss.mbf" (UTC) in the
 * application's folder and returns 1; serial: a normal download's result.
 * With no pen open: the connection check's code. */
NIBDL_API uint32_t DUVOSaveBinaryData(void);
/* *minutes (may be NULL) = minutes since 2008-01-01 00:00 local time; text (may
 * be NULL, 22 bytes) = "(YYYY/MM/DD hh:mm:ss)". Always DUVO_OK. */
NIBDL_API uint32_t DUVOGetTimeStamp(int index, char* text, int* minutes);
/* Asks for the pen's version report (95 95) and listens for it: DUVO_OK or
 * DUVO_E_TIMEOUT (also with no pen open). */
NIBDL_API uint32_t DUVOGetDeviceVersion(DUVOVERSION* version);
/* 1 when the page was written on the back of the sheet, else 0. */
NIBDL_API uint32_t DUVOIsPageFlipped(int index);
/* 1 when the pen reports the page as uploaded before, else 0. */
NIBDL_API uint32_t DUVOIsPageUploaded(int index);

#ifdef __cplusplus
}
#endif

#endif /* NIBDL_NIBDL_H */
