/*
 * portmodule.h - the contract between the download library and a port module.
 *
 * A port module (libNibSer.so for a serial port, libNibUSB.so for the pen's
 * USB receiver) is a plug-in loaded with dlopen. It moves raw bytes between the
 * download library and the pen; it knows nothing of the protocol.
 *
 * After PortOpenEx succeeds the module calls pfnEvent from its own thread:
 *   PORT_EVENT_DATA (0)  bytes are waiting to be retrieved; raised again after
 *                        a PortRetrieveData call that leaves bytes waiting, so
 *                        a reader blocked on the event never misses data;
 *   PORT_EVENT_GONE (2)  the pen or its link went away (hang-up, device removed);
 *                        raised once per open.
 * For libNibUSB.so "bytes waiting" means a whole 64-byte report.
 *
 * The modules read the pen configuration file (common/penconfig.h):
 * libNibSer.so opens SerialDevice (default /dev/ttyS<dwPort>) raw at
 * dwBaudRate (115200 when 0) 8N1 without flow control; libNibUSB.so opens
 * UsbDevice, a hidraw node (64-byte reports, written with report number 0) or
 * "unix:<path>" (a pen emulator's socket, plain bytes both ways, the pen's side
 * sending 64-byte reports), and fails without it. One port per process: a
 * second PortOpenEx while open fails.
 */
#ifndef PORTS_PORTMODULE_H
#define PORTS_PORTMODULE_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define PORT_API __attribute__((visibility("default")))

enum { PORT_EVENT_DATA = 0, PORT_EVENT_GONE = 2 };

/* Port number that selects the USB receiver. */
#define PORT_USB 0x101u

/* dwDeviceType values that our modules report (0x14 and 0x0B, which change
 * how pages are decoded, are never reported by them). */
#define PORT_DEVICE_SERIAL_PEN 0x01u /* libNibSer.so: a pen on a serial line */
#define PORT_DEVICE_USB_PEN 0x02u    /* libNibUSB.so: a pen on its USB receiver */

/* What GetPortDLLVersion returns (and PortGetVersionEx stores as a uint32_t). */
#define PORT_MODULE_VERSION 0x00010000u

typedef int (*PortEventCallback)(int event, int parameter);

/* Parameters of PortOpenEx; zero it, then set cbSize = sizeof(PortOpenExParams). */
typedef struct PortOpenExParams {
  uint32_t cbSize;
  uint32_t reserved1[3];
  PortEventCallback pfnEvent;
  uint32_t reserved2;
  uint32_t dwDeviceType; /* out: the kind of pen found, written on success */
  uint32_t reserved3[2];
  uint32_t dwPort;       /* serial port number, or PORT_USB */
  uint32_t dwBaudRate;   /* 115200 for serial, 0 for USB */
  uint32_t reserved4[2];
} PortOpenExParams;

/* The nine entry points, looked up by name. */
typedef int (*PortOpenFn)(void);
typedef int (*PortOpenExFn)(PortOpenExParams* params);          /* non-zero: open */
typedef void (*PortCloseFn)(int reserved);                      /* called with 0 */
/* *length holds the buffer's capacity on entry and the number of bytes
 * delivered on return (0 when none). Never blocks for long, never writes more
 * than the capacity. libNibUSB.so delivers whole 64-byte reports to a buffer
 * of 64 bytes or more (only as many as have arrived completely); a smaller
 * buffer receives plain bytes. */
typedef void (*PortRetrieveDataFn)(uint8_t* buffer, uint32_t* length);
typedef uint32_t (*GetPortDLLVersionFn)(void);
typedef int (*SetPortBaudRateFn)(uint32_t baud);
typedef int (*InitPortCallBackFn)(PortEventCallback callback);
typedef void (*PortSendDataFn)(const uint8_t* data, uint32_t length);
typedef int (*PortGetVersionExFn)(void* out);

#ifdef __cplusplus
}
#endif

#endif /* PORTS_PORTMODULE_H */
