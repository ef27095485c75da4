#pragma once
// The library's process-wide state (one pen per process) and the steps the
// exports share: the connection check, starting and ending a connection, the
// orientation setting and running a download.

#include <atomic>
#include <cstdint>
#include <mutex>

#include "nibdl/nibdl.h"
#include "nibdl/pagetable.h"

namespace nibdl {

extern std::atomic<bool> g_initialised;
extern std::atomic<bool> g_open;
extern uint32_t g_deviceType;
// The last value SetOrientation wrote to the route library.
extern int g_orientationWritten;
extern PageTable& g_pages;
extern std::atomic<uint32_t> g_progress;
extern uint32_t g_lastReported;
extern std::atomic<bool> g_running;
extern DUVOProgressCallback g_callback;
extern void* g_context;
// Held by whoever talks to the port (download, erase, version report) and by
// open and close, so the port has one user at a time.
extern std::mutex& g_portMutex;

// DUVO_E_NOTINIT before DUVOInit, DUVO_E_NOTOPEN with no pen open, else DUVO_OK.
uint32_t ConnectionCheck();

// Writes the route library's orientation setting when it differs from the
// value last written.
void SetOrientation(int value);

// After the port opened: the library is open.
void StartConnection();
// Closes the port if open, forgets the pages and writes orientation 0.
void EndConnection();

// The download by the port's dialect (kModeNormal or kModeDump); g_portMutex
// held and a pen open.
uint32_t RunDownload(int mode);

}  // namespace nibdl
