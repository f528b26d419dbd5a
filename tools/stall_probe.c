/*
    How long does the program's message thread stay away from its event loop?

    Preloaded into the unchanged program (LD_PRELOAD), this library wraps
    poll(). JUCE's Linux run loop calls poll() on the main thread between
    every batch of callbacks: with a timeout of 0 to look for work, and with a
    long one (2 s) when there is none. The time from the return of one such
    poll to the entry of the next is the time the loop spent in callbacks,
    deaf to the user: a busy gap. The longest one is the stall.

    Which polls are the run loop's: Xlib (through libxcb) also polls the X
    connection on the main thread, inside callbacks, whenever it waits for a
    reply; counting those would cut a long stall in two. A run-loop poll is
    told apart by two things together:
      - its caller lies in the program's own executable (JUCE is linked into
        it statically), while libxcb, libcurl and the other shared libraries
        call poll() from their own code; the caller's address is the wrapper's
        return address, compared with the executable's code segments;
      - it watches at least two descriptors (JUCE's message socket and the X
        connection); JUCE's other polls (sockets, named pipes) watch one.
    So the library must sit before the sanitizer runtime in the lookup order
    (ASAN_OPTIONS=verify_asan_link_order=0, not libasan preloaded first):
    otherwise the sanitizer's own poll() is the caller.

    Measuring starts at the first run-loop poll: building the window before
    the loop runs is not counted. Only the main thread (thread id equal to
    the process id) is watched. The programs the program starts inherit
    LD_PRELOAD and the variables below, and wrappers such as env or setsid
    load the library too; none of them runs such a loop, so they stay
    silent. Should one of them run one after all, it finds the file claimed
    by a live process (its pid line) and stays silent as well.

    From the shell (a sanitizer build also needs
    ASAN_OPTIONS=verify_asan_link_order=0):
      LD_PRELOAD=build/release/tools/libstall_probe.so \
      STRATOSET_STALL_PROBE_OUT=/tmp/stall.txt STRATOSET_STALL_PROBE_EVERY_MS=1000 \
          build/release/StratosetOnLoopback
    From a whole-program test: PROBE and assert_no_stall in
    tests/program/world.sh.

    Environment:
      STRATOSET_STALL_PROBE_OUT       the file the figures go to; without it
                                      the library only passes poll() through
      STRATOSET_STALL_PROBE_EVERY_MS  also rewrite the file this often (ms)
                                      from a thread of its own, so that a
                                      stall still in progress shows (busy_ms)

    The file is rewritten in one step (a temporary file, then rename) when
    the longest gap grows, every STRATOSET_STALL_PROBE_EVERY_MS and at exit.
    Times are milliseconds; *_at_ms and since_ms are CLOCK_MONOTONIC.
      pid          the process measured
      max_gap_ms   the longest busy gap
      max_at_ms    when that gap began
      top_gaps_ms  the five longest gaps, longest first (0: none yet)
      passes       run-loop polls that returned
      ready        ... with descriptors ready
      timeouts     ... because their timeout ran out (0 included)
      sleeps       run-loop polls that could block (timeout not 0): the loop's
                   wake-ups, when it has nothing to do
      since_ms     the entry of the first run-loop poll
      now_ms       when the file was written
      busy_ms      the gap in progress then (0 while the loop waits in poll,
                   and in the last figures, written at exit)
*/

#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <link.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

typedef int (*PollFunction) (struct pollfd*, nfds_t, int);

enum
{
    maxCodeSegments = 8,
    numTopGaps = 5
};

struct CodeSegment
{
    uintptr_t start, end;
};

static char outputPath[4096];
static long everyMs;
static pid_t watchedPid; // 0: not measuring in this process (read from any thread)

// The executable's code, found at the first poll of the main thread.
static struct CodeSegment codeSegments[maxCodeSegments];
static int numCodeSegments = -1;

static __thread int threadKind __attribute__ ((tls_model ("initial-exec"))); // 0 unknown, 1 main, 2 other

// Written by the main thread; read under the lock by the writer and at exit.
static pthread_mutex_t lock = PTHREAD_MUTEX_INITIALIZER;
static int measuring;
static int inPoll;
static double sinceMs, lastReturnMs, maxGapMs, maxAtMs;
static double topGaps[numTopGaps];
static unsigned long long passes, ready, timeouts, sleeps;
static int ended; // the program is exiting: no gap in progress any more
static int finished; // the last figures are written

// Only one writer of the file at a time.
static pthread_mutex_t fileLock = PTHREAD_MUTEX_INITIALIZER;

static pid_t getWatchedPid (void) { return __atomic_load_n (&watchedPid, __ATOMIC_RELAXED); }

static double nowMs (void)
{
    struct timespec t;
    clock_gettime (CLOCK_MONOTONIC, &t);
    return (double) t.tv_sec * 1000.0 + (double) t.tv_nsec / 1.0e6;
}

__attribute__ ((constructor)) static void stallProbeLoad (void)
{
    const char* out = getenv ("STRATOSET_STALL_PROBE_OUT");

    if (out == NULL || *out == 0 || strlen (out) >= sizeof (outputPath))
        return;

    strcpy (outputPath, out);
    watchedPid = getpid();

    const char* every = getenv ("STRATOSET_STALL_PROBE_EVERY_MS");
    everyMs = every != NULL ? atol (every) : 0;
}

// Whether the file already holds the figures of another process still running.
static int claimedByAnother (void)
{
    const int fd = open (outputPath, O_RDONLY | O_CLOEXEC);

    if (fd < 0)
        return 0;

    char text[64] = { 0 };
    const ssize_t length = read (fd, text, sizeof (text) - 1);
    close (fd);

    int owner = 0;

    if (length <= 0 || sscanf (text, "pid %d", &owner) != 1 || owner <= 0 || owner == (int) getpid())
        return 0;

    return kill ((pid_t) owner, 0) == 0;
}

static int isMainThread (void)
{
    if (threadKind == 0)
        threadKind = gettid() == getpid() ? 1 : 2;

    return threadKind == 1;
}

static int addCodeSegments (struct dl_phdr_info* info, size_t size, void* data)
{
    (void) size;
    (void) data;

    // The first object listed is the executable.
    for (int i = 0; i < info->dlpi_phnum && numCodeSegments < maxCodeSegments; ++i)
    {
        const ElfW (Phdr)* header = &info->dlpi_phdr[i];

        if (header->p_type == PT_LOAD && (header->p_flags & PF_X) != 0)
        {
            const uintptr_t start = (uintptr_t) info->dlpi_addr + header->p_vaddr;
            codeSegments[numCodeSegments].start = start;
            codeSegments[numCodeSegments].end = start + header->p_memsz;
            ++numCodeSegments;
        }
    }

    return 1;
}

static int calledFromExecutable (const void* caller)
{
    if (numCodeSegments < 0)
    {
        numCodeSegments = 0;
        dl_iterate_phdr (addCodeSegments, NULL);
    }

    const uintptr_t address = (uintptr_t) caller;

    for (int i = 0; i < numCodeSegments; ++i)
        if (address >= codeSegments[i].start && address < codeSegments[i].end)
            return 1;

    return 0;
}

// Callers hold `lock`.
static int formatFigures (char* text, size_t size)
{
    const double now = nowMs();
    const double busy = inPoll || ended ? 0.0 : now - lastReturnMs;

    return snprintf (text,
                     size,
                     "pid %d\nmax_gap_ms %.3f\nmax_at_ms %.3f\ntop_gaps_ms %.1f %.1f %.1f %.1f %.1f\npasses %llu\nready %llu\ntimeouts %llu\nsleeps %llu\n"
                     "since_ms %.3f\nnow_ms %.3f\nbusy_ms %.3f\n",
                     (int) getWatchedPid(),
                     maxGapMs,
                     maxAtMs,
                     topGaps[0],
                     topGaps[1],
                     topGaps[2],
                     topGaps[3],
                     topGaps[4],
                     passes,
                     ready,
                     timeouts,
                     sleeps,
                     sinceMs,
                     now,
                     busy);
}

static void writeFile (const char* text, int length)
{
    char temporary[sizeof (outputPath) + 32];
    snprintf (temporary, sizeof (temporary), "%s.%d.tmp", outputPath, (int) getWatchedPid());

    const int fd = open (temporary, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);

    if (fd < 0)
        return;

    const int written = (int) write (fd, text, (size_t) length);
    close (fd);

    if (written == length)
        rename (temporary, outputPath);
    else
        unlink (temporary);
}

// Formats and writes the figures; `wait` 0: give up if another write is on.
static void publish (int wait)
{
    if (getWatchedPid() == 0 || getpid() != getWatchedPid())
        return;

    if (wait)
        pthread_mutex_lock (&fileLock);
    else if (pthread_mutex_trylock (&fileLock) != 0)
        return;

    char text[512];
    pthread_mutex_lock (&lock);
    const int length = finished ? 0 : formatFigures (text, sizeof (text));
    pthread_mutex_unlock (&lock);

    if (length > 0 && length < (int) sizeof (text))
        writeFile (text, length);

    pthread_mutex_unlock (&fileLock);
}

static void* writeEveryInterval (void* unused)
{
    (void) unused;
    const struct timespec interval = { everyMs / 1000, (everyMs % 1000) * 1000000L };

    for (;;)
    {
        nanosleep (&interval, NULL);
        publish (1);
    }

    return NULL;
}

__attribute__ ((destructor)) static void stallProbeUnload (void)
{
    if (getWatchedPid() == 0)
        return;

    pthread_mutex_lock (&lock);
    const int started = measuring;
    ended = 1;
    pthread_mutex_unlock (&lock);

    if (! started)
        return;

    publish (1);

    pthread_mutex_lock (&lock);
    finished = 1;
    pthread_mutex_unlock (&lock);
}

static PollFunction realPoll (void)
{
    static PollFunction next; // any thread may be the first to look it up

    PollFunction found = __atomic_load_n (&next, __ATOMIC_ACQUIRE);

    if (found == NULL)
    {
        found = (PollFunction) dlsym (RTLD_NEXT, "poll");
        __atomic_store_n (&next, found, __ATOMIC_RELEASE);
    }

    return found;
}

// The main thread enters a run-loop poll: the gap since the last one ends.
static void enterRunLoopPoll (int timeout)
{
    const double now = nowMs();
    int grown = 0;
    int first = 0;

    pthread_mutex_lock (&lock);

    if (! measuring)
    {
        measuring = 1;
        first = 1;
        sinceMs = now;
    }
    else
    {
        const double gap = now - lastReturnMs;

        if (gap > topGaps[numTopGaps - 1])
        {
            int i = numTopGaps - 1;

            for (; i > 0 && topGaps[i - 1] < gap; --i)
                topGaps[i] = topGaps[i - 1];

            topGaps[i] = gap;
        }

        if (gap > maxGapMs)
        {
            maxGapMs = gap;
            maxAtMs = lastReturnMs;
            grown = 1;
        }
    }

    inPoll = 1;

    if (timeout != 0)
        ++sleeps;

    pthread_mutex_unlock (&lock);

    if (first && everyMs > 0)
    {
        pthread_t writer;

        if (pthread_create (&writer, NULL, writeEveryInterval, NULL) == 0)
            pthread_detach (writer);
    }

    if (grown || first)
        publish (0);
}

static void leaveRunLoopPoll (int result)
{
    const double now = nowMs();

    pthread_mutex_lock (&lock);
    inPoll = 0;
    lastReturnMs = now;
    ++passes;

    if (result > 0)
        ++ready;
    else if (result == 0)
        ++timeouts;

    pthread_mutex_unlock (&lock);
}

static int watchedPoll (struct pollfd* fds, nfds_t count, int timeout, const void* caller)
{
    const PollFunction next = realPoll();

    if (getWatchedPid() == 0 || count < 2 || ! isMainThread() || ! calledFromExecutable (caller))
        return next (fds, count, timeout);

    static int claimChecked; // touched by the main thread only

    if (! claimChecked)
    {
        claimChecked = 1;

        if (claimedByAnother())
        {
            __atomic_store_n (&watchedPid, 0, __ATOMIC_RELAXED);
            return next (fds, count, timeout);
        }
    }

    enterRunLoopPoll (timeout);
    const int result = next (fds, count, timeout);
    leaveRunLoopPoll (result);
    return result;
}

int poll (struct pollfd* fds, nfds_t count, int timeout)
{
    return watchedPoll (fds, count, timeout, __builtin_return_address (0));
}
