/*
 * nibroute.h - the pen route library: live pen events and receiver control.
 *
 * A process initialises the library once (ZMTInitEx), registers each window
 * that wants live pen events as a receiver (ZMTOpenReceiver) and connects to
 * the pen receiver (ZMTConnect). Events are queued per receiver; whenever
 * events are queued the library calls the receiver's notify function from its
 * own thread, and the receiver drains its queue with ZMTGetEvent on its own
 * thread. Handle 0 names the library itself (its global properties).
 *
 * Every status is a signed 32-bit value; a negative value means failure.
 * All functions are thread-safe.
 */
#ifndef NIBROUTE_NIBROUTE_H
#define NIBROUTE_NIBROUTE_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(NIBROUTE_BUILDING)
#define NIBROUTE_API __attribute__((visibility("default")))
#else
#define NIBROUTE_API
#endif

/* The interface version that callers pass to ZMTInitEx. */
#define ZMT_INTERFACE_VERSION 0x01011300u

/* Window message number of the notification (WM_USER + 102). */
#define WM_ZMTNOTIFY 0x466u

/* Event types. */
enum {
  ZMT_EVT_PENDOWN = 1,
  ZMT_EVT_PENMOVE = 2,
  ZMT_EVT_PENUP = 3,
  /* 4 to 7: other pen events, carried but not interpreted by the library */
  ZMT_EVT_RECEIVER_ARRIVED = 18,
  ZMT_EVT_RECEIVER_GONE = 19
};

/* Pen coordinates: x from -5750 to 5750, y from 0 to 16000. */
#define ZMT_PEN_X_MIN (-5750)
#define ZMT_PEN_X_MAX 5750
#define ZMT_PEN_Y_MIN 0
#define ZMT_PEN_Y_MAX 16000

/* Property ids used by the application and the download library. */
enum {
  ZMT_PROP_RECEIVE_EVENTS = 1,  /* receiver: 1 = deliver events */
  ZMT_PROP_PEN_MODE = 16,       /* receiver: pen mode 1 or 2 */
  ZMT_PROP_POSITION = 0x12,     /* global: page transform mode for downloads */
  ZMT_PROP_ORIENTABLE = 0x14,   /* global: device can report orientation */
  ZMT_PROP_ORIENTATION = 0x103  /* global: orientation setting, 1 while a pen is open */
};

#pragma pack(push, 1)
/* One pen event, 6 bytes. */
typedef struct ZMTEvent {
  uint16_t type;
  int16_t x;
  int16_t y;
} ZMTEvent;
#pragma pack(pop)

/* Called from the library's thread whenever events were queued for a receiver. */
typedef void (*ZMTNotifyFunc)(void* window, uint32_t message);

/* A receiver's registration. size must be sizeof(ReceiverInfo). */
typedef struct ReceiverInfo {
  uint32_t size;
  uint32_t reserved;    /* 0 */
  void* window;         /* opaque, handed back to post */
  uint32_t message;     /* WM_ZMTNOTIFY */
  ZMTNotifyFunc post;   /* may be null: events are queued without notice */
} ReceiverInfo;

/* Version record: size = 40, the rest is filled by the library. */
typedef struct ZMTVersion {
  uint32_t size;
  uint32_t major;
  uint32_t minor;
  uint32_t build;
  uint8_t reserved[24];
} ZMTVersion;

/* Initialises the library (again: no effect). version must be ZMT_INTERFACE_VERSION or lower. */
NIBROUTE_API int32_t ZMTInitEx(uint32_t version, uint32_t reserved);
/* Releases every receiver, disconnects and forgets all state. */
NIBROUTE_API void ZMTUninit(void);
/* Fills a ZMTVersion whose size field is 40. */
NIBROUTE_API void ZMTGetVersion(ZMTVersion* version);

/* Registers a receiver; *handle receives its handle (1 or more). */
NIBROUTE_API int32_t ZMTOpenReceiver(const ReceiverInfo* info, int32_t* handle);
/* Sets or reads a property of a receiver, or of the library with handle 0.
 * An unknown property reads as 0. */
NIBROUTE_API int32_t ZMTSetProperty(int32_t handle, uint32_t property, uint32_t value);
NIBROUTE_API int32_t ZMTGetProperty(int32_t handle, uint32_t property, uint32_t* value);
/* Copies the receiver's oldest queued event: 0 or more, or negative when none is left. */
NIBROUTE_API int32_t ZMTGetEvent(int32_t handle, ZMTEvent* event);
/* The receiver's window became active or inactive: pen events go to the active receiver. */
NIBROUTE_API int32_t ZMTActivate(int32_t handle);
NIBROUTE_API int32_t ZMTDeactivate(int32_t handle);

/* Non-zero while the pen receiver (live source) is connected. */
NIBROUTE_API int32_t ZMTIsConnected(void);
/* Connects to the live source named by the configuration; 0 or more = connected. */
NIBROUTE_API int32_t ZMTConnect(uint32_t a, uint32_t flags, uint32_t b);
NIBROUTE_API int32_t ZMTDisconnect(void);

/* Status codes. */
#define ZMT_OK 0
#define ZMT_E_NOTINIT (-1)
#define ZMT_E_BADARG (-2)
#define ZMT_E_BADHANDLE (-3)
#define ZMT_E_NOEVENT (-4)
#define ZMT_E_NOSOURCE (-5)
#define ZMT_E_BADVERSION (-6)

#ifdef __cplusplus
}
#endif

#endif /* NIBROUTE_NIBROUTE_H */
