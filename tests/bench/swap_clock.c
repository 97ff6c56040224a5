// Preloaded (LD_PRELOAD) into the Wine processes of scripts/measure-show: the
// moment a process first shows an OpenGL frame, without the slowdown of a
// relay trace. Wine's X11 driver takes glXSwapBuffers from
// glXGetProcAddressARB, and that from dlsym on libGL's own handle, a lookup
// that a preloaded glXSwapBuffers would not take part in. So dlsym is wrapped
// to hand out a glXGetProcAddressARB that hands out the timed glXSwapBuffers.
// A process's first swap appends "<pid> <CLOCK_MONOTONIC_RAW seconds>" to the
// file BF_SWAP_LOG names.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

typedef void (*AnyFunction)(void);
typedef void* (*DlsymFunction)(void*, const char*);
typedef AnyFunction (*GetProcAddressFunction)(const unsigned char*);
typedef void (*SwapBuffersFunction)(void*, unsigned long);

static GetProcAddressFunction realGetProcAddress;
static SwapBuffersFunction realSwapBuffers;

static void TimedSwapBuffers(void* display, unsigned long drawable)
{
    static int swapped;
    realSwapBuffers(display, drawable);
    if (swapped)
        return;
    swapped = 1;
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC_RAW, &now);
    const char* path = getenv("BF_SWAP_LOG");
    const int log = path ? open(path, O_WRONLY | O_CREAT | O_APPEND, 0644) : -1;
    if (log < 0)
        return;
    char line[64];
    const int length =
        snprintf(line, sizeof line, "%d %lld.%09ld\n", (int)getpid(), (long long)now.tv_sec, now.tv_nsec);
    if (write(log, line, (size_t)length) != length)
        perror("swap_clock");
    close(log);
}

static AnyFunction TimedGetProcAddress(const unsigned char* name)
{
    AnyFunction function = realGetProcAddress(name);
    if (function != NULL && strcmp((const char*)name, "glXSwapBuffers") == 0) {
        realSwapBuffers = (SwapBuffersFunction)function;
        return (AnyFunction)TimedSwapBuffers;
    }
    return function;
}

void* dlsym(void* handle, const char* name)
{
    static DlsymFunction realDlsym;
    if (realDlsym == NULL)
        realDlsym = (DlsymFunction)dlvsym(RTLD_NEXT, "dlsym", "GLIBC_2.34");
    if (realDlsym == NULL)
        realDlsym = (DlsymFunction)dlvsym(RTLD_NEXT, "dlsym", "GLIBC_2.2.5");
    void* symbol = realDlsym(handle, name);
    if (symbol != NULL && strcmp(name, "glXGetProcAddressARB") == 0) {
        realGetProcAddress = (GetProcAddressFunction)symbol;
        return (void*)TimedGetProcAddress;
    }
    return symbol;
}
