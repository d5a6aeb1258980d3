/*
 * Measures how a program opens: the time to its first visible window, the
 * time until its windows stop changing on screen ("settled"), its peak
 * resident memory by then and the memory it still holds a while later.
 *
 * Each command is started RUNS times; with several commands (separated by
 * "--") the runs alternate between them, so that a busy moment of the
 * machine falls on all of them alike. For every run the display is polled
 * every POLL ms: first for a viewable top-level window of the process
 * (_NET_WM_PID), then for the pixels of its windows. The last change seen
 * before QUIET ms without change is the settle time. HOLD ms after that the
 * resident size is read again, then the program is ended (SIGTERM).
 *
 *   cc -O2 -o /tmp/open-time tools/open-time.c -lxcb
 *   DISPLAY=:N /tmp/open-time [-p POLL] [-q QUIET] [-h HOLD] RUNS -- program [args...] [-- program [args...]]
 *
 * Use a private display server (Xvfb) with nothing else on it. Memory is in
 * MiB: peak is VmHWM at settle time, held is VmRSS HOLD ms later plus the
 * pages of memory files (memfd) the process has open but not mapped, which
 * VmRSS does not count.
 */
#define _GNU_SOURCE
#include "window-probe.h"

#include <xcb/xcb.h>

#include <dirent.h>
#include <signal.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#define MAX_COMMANDS 8
#define MAX_RUNS 1000
#define MAX_WINDOWS 32
#define DEADLINE_MS 60000.0

static void sleep_ms(double ms)
{
    struct timespec t = {(time_t)(ms / 1000), (long)((ms - (time_t)(ms / 1000) * 1000) * 1e6)};
    nanosleep(&t, NULL);
}

/* FNV-1a over the ids, geometry and pixels of the windows: what shows. */
static uint64_t screen_hash(xcb_connection_t* c, const xcb_window_t* windows, int n)
{
    uint64_t h = 1469598103934665603ull;
#define MIX(byte) (h = (h ^ (uint8_t)(byte)) * 1099511628211ull)
    for (int i = 0; i < n; ++i) {
        xcb_get_geometry_reply_t* g = xcb_get_geometry_reply(c, xcb_get_geometry(c, windows[i]), NULL);
        if (!g)
            continue;
        const uint32_t facts[5] = {windows[i], (uint32_t)g->x, (uint32_t)g->y, g->width, g->height};
        for (size_t k = 0; k < sizeof facts; ++k)
            MIX(((const uint8_t*)facts)[k]);
        xcb_get_image_reply_t* image = xcb_get_image_reply(
            c, xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, windows[i], 0, 0, g->width, g->height, ~0u), NULL);
        free(g);
        if (!image)
            continue;
        const uint8_t* data = xcb_get_image_data(image);
        const int length = xcb_get_image_data_length(image);
        /* Whole 64-bit words, then the rest: the pixels change in blocks. */
        uint64_t w = 0;
        int k = 0;
        for (; k + 8 <= length; k += 8) {
            memcpy(&w, data + k, 8);
            h = (h ^ w) * 1099511628211ull;
        }
        for (; k < length; ++k)
            MIX(data[k]);
        free(image);
    }
#undef MIX
    return h;
}

/* A field of /proc/PID/status in KiB, or -1. */
static long status_kib(pid_t pid, const char* field)
{
    char path[64], line[256];
    snprintf(path, sizeof path, "/proc/%d/status", (int)pid);
    FILE* f = fopen(path, "r");
    if (!f)
        return -1;
    long value = -1;
    const size_t n = strlen(field);
    while (fgets(line, sizeof line, f)) {
        if (strncmp(line, field, n) == 0 && line[n] == ':') {
            value = strtol(line + n + 1, NULL, 10);
            break;
        }
    }
    fclose(f);
    return value;
}

/* KiB held by the memory files the process has open (mapped or not). */
static long memfd_kib(pid_t pid)
{
    char dir[64], link[PATH_MAX], target[PATH_MAX];
    snprintf(dir, sizeof dir, "/proc/%d/fd", (int)pid);
    DIR* d = opendir(dir);
    if (!d)
        return 0;
    long total = 0;
    struct dirent* e;
    while ((e = readdir(d))) {
        snprintf(link, sizeof link, "%s/%s", dir, e->d_name);
        const ssize_t n = readlink(link, target, sizeof target - 1);
        if (n <= 0)
            continue;
        target[n] = 0;
        struct stat s;
        if (strncmp(target, "/memfd:", 7) == 0 && stat(link, &s) == 0)
            total += (long)s.st_blocks / 2;
    }
    closedir(d);
    return total;
}

/* KiB of memory files that are also mapped (VmRSS counts those already). */
static long mapped_shmem_kib(pid_t pid)
{
    return status_kib(pid, "RssShmem");
}

struct run {
    double appear, settle, peak_mib, held_mib, settle_rss_mib;
};

static int compare(const void* a, const void* b)
{
    double x = *(const double*)a, y = *(const double*)b;
    return x < y ? -1 : x > y;
}

static double median(double* values, int n)
{
    qsort(values, (size_t)n, sizeof *values, compare);
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

static struct run measure(xcb_connection_t* c, xcb_window_t root, xcb_atom_t pid_atom, char** command, double poll,
                          double quiet, double hold)
{
    struct run r = {-1, -1, -1, -1, -1};
    const double start = now_ms();
    pid_t pid = fork();
    if (pid == 0) {
        execvp(command[0], command);
        _exit(127);
    }
    xcb_window_t windows[MAX_WINDOWS];
    int n = 0;
    while (now_ms() - start < DEADLINE_MS && n == 0) {
        n = windows_of(c, root, pid_atom, pid, windows, MAX_WINDOWS);
        if (n > 0)
            r.appear = now_ms() - start;
        else if (waitpid(pid, NULL, WNOHANG) == pid)
            return r;
        else
            sleep_ms(poll);
    }
    uint64_t last = 0;
    double changed = r.appear;
    while (n > 0 && now_ms() - start < DEADLINE_MS) {
        const uint64_t h = screen_hash(c, windows, n);
        const double t = now_ms() - start;
        if (h != last) {
            last = h;
            changed = t;
        } else if (t - changed >= quiet) {
            r.settle = changed;
            break;
        }
        sleep_ms(poll);
        n = windows_of(c, root, pid_atom, pid, windows, MAX_WINDOWS);
    }
    if (r.settle >= 0) {
        r.peak_mib = status_kib(pid, "VmHWM") / 1024.0;
        r.settle_rss_mib = status_kib(pid, "VmRSS") / 1024.0;
        const double until = start + r.settle + hold;
        while (now_ms() < until)
            sleep_ms(10);
        const long rss = status_kib(pid, "VmRSS");
        const long unmapped = memfd_kib(pid) - mapped_shmem_kib(pid);
        r.held_mib = (rss + (unmapped > 0 ? unmapped : 0)) / 1024.0;
    }
    kill(pid, SIGTERM);
    waitpid(pid, NULL, 0);
    return r;
}

int main(int argc, char** argv)
{
    double poll = 4, quiet = 1500, hold = 4000;
    int i = 1;
    for (; i + 1 < argc && argv[i][0] == '-' && argv[i][1] && !argv[i][2] && argv[i][1] != '-'; i += 2) {
        const double v = atof(argv[i + 1]);
        switch (argv[i][1]) {
        case 'p': poll = v; break;
        case 'q': quiet = v; break;
        case 'h': hold = v; break;
        default: fprintf(stderr, "unknown option %s\n", argv[i]); return 2;
        }
    }
    if (i + 2 >= argc || strcmp(argv[i + 1], "--") != 0) {
        fprintf(stderr, "usage: open-time [-p POLL] [-q QUIET] [-h HOLD] RUNS -- program [args...] [-- ...]\n");
        return 2;
    }
    const int runs = atoi(argv[i]);
    if (runs < 1 || runs > MAX_RUNS || poll <= 0 || quiet <= 0 || hold < 0)
        return 2;
    char** commands[MAX_COMMANDS];
    int count = 0;
    for (int k = i + 1; k < argc; ++k) {
        if (strcmp(argv[k], "--") == 0) {
            argv[k] = NULL;
            if (k + 1 < argc && count < MAX_COMMANDS)
                commands[count++] = argv + k + 1;
        }
    }
    xcb_connection_t* c = xcb_connect(NULL, NULL);
    if (xcb_connection_has_error(c)) {
        fprintf(stderr, "no display\n");
        return 1;
    }
    xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    xcb_atom_t pid_atom = atom(c, "_NET_WM_PID");
    static struct run results[MAX_COMMANDS][MAX_RUNS];
    for (int run = 0; run < runs; ++run) {
        for (int k = 0; k < count; ++k) {
            struct run r = measure(c, root, pid_atom, commands[k], poll, quiet, hold);
            results[k][run] = r;
            printf("command %d run %d: appear %.1f ms, settled %.1f ms, peak %.1f MiB, rss at settle %.1f MiB, "
                   "held %.1f MiB\n",
                   k + 1, run + 1, r.appear, r.settle, r.peak_mib, r.settle_rss_mib, r.held_mib);
            fflush(stdout);
            sleep_ms(300);
        }
    }
    for (int k = 0; k < count; ++k) {
        double values[5][MAX_RUNS];
        for (int run = 0; run < runs; ++run) {
            values[0][run] = results[k][run].appear;
            values[1][run] = results[k][run].settle;
            values[2][run] = results[k][run].peak_mib;
            values[3][run] = results[k][run].settle_rss_mib;
            values[4][run] = results[k][run].held_mib;
        }
        printf("command %d (%s), median of %d: appear %.1f ms, settled %.1f ms, peak %.1f MiB, rss at settle %.1f "
               "MiB, held %.1f MiB\n",
               k + 1, commands[k][0], runs, median(values[0], runs), median(values[1], runs),
               median(values[2], runs), median(values[3], runs), median(values[4], runs));
    }
    return 0;
}
