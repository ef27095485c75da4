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
 *
 * Delivery: events 18 and 19 (receiver arrived, receiver gone) are queued for
 * every receiver. Every other event (the pen events 1 to 7 and any other type
 * a source reports) is queued for one receiver only: the one activated most
 * recently (ZMTActivate) that has not been deactivated since; when no receiver
 * is active, the most recently opened receiver whose property 1 (receive
 * events) is 1; when there is none, the event is dropped. Each receiver's
 * queue holds up to 65,536 events; when it is full the oldest event is
 * dropped for the newest.
 *
 * Notification: after queueing, the library calls the receiver's post function
 * from its own thread, with no lock held, but only when the receiver's queue
 * turns from empty to non-empty. The receiver therefore drains its queue with
 * ZMTGetEvent until that returns a negative value. A post function must not
 * call ZMTConnect, ZMTDisconnect or ZMTUninit (they fail with
 * ZMT_E_WRONGTHREAD, or do nothing, from the library's thread).
 *
 * Live source: ZMTConnect reads "RouteSource" from the pen configuration file
 * ("evdev:auto" when absent): "unix:<path>" reads 6-byte ZMTEvent records,
 * little-endian, from a Unix stream socket; "evdev:<device>" or "evdev:auto"
 * (the first pen or tablet input device) reads a pen tablet, scaled onto the
 * pen's range. When the source is open the library queues event 18; when it
 * hangs up or its device goes away, event 19, and ZMTIsConnected turns 0.
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

/* The version that ZMTGetVersion reports. */
#define ZMT_VERSION_MAJOR 1u
#define ZMT_VERSION_MINOR 1u
#define ZMT_VERSION_BUILD 0x1300u

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
/* Fills a ZMTVersion whose size field is 40 (major, minor, build; the rest
 * zero); a record of any other size is left alone. */
NIBROUTE_API void ZMTGetVersion(ZMTVersion* version);

/* Registers a receiver; *handle receives its handle (1 or more; handles are
 * not reused until ZMTUninit). info->size must be sizeof(ReceiverInfo). */
NIBROUTE_API int32_t ZMTOpenReceiver(const ReceiverInfo* info, int32_t* handle);
/* Sets or reads a property of a receiver, or of the library with handle 0.
 * An unknown property reads as 0. */
NIBROUTE_API int32_t ZMTSetProperty(int32_t handle, uint32_t property, uint32_t value);
NIBROUTE_API int32_t ZMTGetProperty(int32_t handle, uint32_t property, uint32_t* value);
/* Removes the receiver's oldest queued event into *event and returns 0;
 * ZMT_E_NOEVENT when its queue is empty, ZMT_E_BADHANDLE for an unknown handle. */
NIBROUTE_API int32_t ZMTGetEvent(int32_t handle, ZMTEvent* event);
/* The receiver's window became active or inactive: pen events go to the active receiver. */
NIBROUTE_API int32_t ZMTActivate(int32_t handle);
NIBROUTE_API int32_t ZMTDeactivate(int32_t handle);

/* Non-zero while the pen receiver (live source) is connected. */
NIBROUTE_API int32_t ZMTIsConnected(void);
/* Connects to the live source named by the configuration; 0 or more = connected
 * (also when it already was), ZMT_E_NOSOURCE when the source cannot be opened.
 * The arguments are not used. */
NIBROUTE_API int32_t ZMTConnect(uint32_t a, uint32_t flags, uint32_t b);
/* Stops the live source and waits for its thread; queues no event. */
NIBROUTE_API int32_t ZMTDisconnect(void);

/* Status codes. Every function but ZMTInitEx, ZMTGetVersion and ZMTUninit
 * returns ZMT_E_NOTINIT before ZMTInitEx (ZMTIsConnected returns 0). */
#define ZMT_OK 0
#define ZMT_E_NOTINIT (-1)
#define ZMT_E_BADARG (-2)
#define ZMT_E_BADHANDLE (-3)
#define ZMT_E_NOEVENT (-4)
#define ZMT_E_NOSOURCE (-5)
#define ZMT_E_BADVERSION (-6)
#define ZMT_E_FAILED (-7)      /* out of memory or threads */
#define ZMT_E_WRONGTHREAD (-8) /* called from a notification */

#ifdef __cplusplus
}
#endif

#endif /* NIBROUTE_NIBROUTE_H */
