/*
 * Measures a program's start-up to its first visible window: starts it on
 * the X display in DISPLAY, polls the display every 2 ms for a viewable
 * top-level window of that process (_NET_WM_PID), and prints the time from
 * the start. Runs it RUNS times (ending it after each) and prints every
 * time and the median.
 *
 * With each time it prints what the program had used when its window
 * showed: processor time and time spent waiting for a processor (summed
 * over its threads, from /proc/PID/task/TID/schedstat) and minor page
 * faults. On a busy machine the wall time mostly measures the others'
 * load; processor time and faults compare builds more fairly.
 *
 *   cc -O2 -o /tmp/startup-time tools/startup-time.c -lxcb
 *   DISPLAY=:N /tmp/startup-time RUNS program [arguments...]
 *
 * Use a private display server (Xvfb) with nothing else on it.
 */
#define _GNU_SOURCE
#include "window-probe.h"

#include <xcb/xcb.h>

#include <dirent.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static int shows_window_of(xcb_connection_t* c, xcb_window_t root, xcb_atom_t pid_atom, pid_t pid)
{
    xcb_window_t window;
    return windows_of(c, root, pid_atom, pid, &window, 1) > 0;
}

/* Processor and waiting time of every thread of the process, in ms. */
static void scheduling(pid_t pid, double* running, double* waiting)
{
    char folder[64];
    snprintf(folder, sizeof folder, "/proc/%d/task", (int)pid);
    *running = *waiting = 0;
    DIR* tasks = opendir(folder);
    if (!tasks)
        return;
    struct dirent* task;
    while ((task = readdir(tasks))) {
        if (task->d_name[0] == '.')
            continue;
        char path[400];
        snprintf(path, sizeof path, "%s/%s/schedstat", folder, task->d_name);
        FILE* f = fopen(path, "r");
        unsigned long long run = 0, wait = 0;
        if (f && fscanf(f, "%llu %llu", &run, &wait) == 2) {
            *running += run / 1e6;
            *waiting += wait / 1e6;
        }
        if (f)
            fclose(f);
    }
    closedir(tasks);
}

/* Minor page faults of the process so far (the 10th field of its stat). */
static unsigned long minor_faults(pid_t pid)
{
    char path[64], text[4096];
    snprintf(path, sizeof path, "/proc/%d/stat", (int)pid);
    FILE* f = fopen(path, "r");
    if (!f)
        return 0;
    size_t n = fread(text, 1, sizeof text - 1, f);
    fclose(f);
    text[n] = 0;
    /* The name in brackets may hold blanks: count fields after its end. */
    char* field = strrchr(text, ')');
    unsigned long faults = 0;
    for (int i = 2; field && i < 10; ++i)
        field = strchr(field + 1, ' ');
    if (field)
        faults = strtoul(field + 1, NULL, 10);
    return faults;
}

static int compare(const void* a, const void* b)
{
    double x = *(const double*)a, y = *(const double*)b;
    return x < y ? -1 : x > y;
}

int main(int argc, char** argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: startup-time RUNS program [arguments...]\n");
        return 2;
    }
    int runs = atoi(argv[1]);
    if (runs < 1 || runs > 1000)
        return 2;
    xcb_connection_t* c = xcb_connect(NULL, NULL);
    if (xcb_connection_has_error(c)) {
        fprintf(stderr, "no display\n");
        return 1;
    }
    xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    xcb_atom_t pid_atom = atom(c, "_NET_WM_PID");
    double* times = calloc((size_t)runs, sizeof *times);
    for (int run = 0; run < runs; ++run) {
        double start = now_ms();
        pid_t pid = fork();
        if (pid == 0) {
            execvp(argv[2], argv + 2);
            _exit(127);
        }
        double shown = -1, running = 0, waiting = 0;
        unsigned long faults = 0;
        while (now_ms() - start < 60000) {
            if (shows_window_of(c, root, pid_atom, pid)) {
                shown = now_ms() - start;
                scheduling(pid, &running, &waiting);
                faults = minor_faults(pid);
                break;
            }
            if (waitpid(pid, NULL, WNOHANG) == pid)
                break;
            usleep(2000);
        }
        kill(pid, SIGTERM);
        waitpid(pid, NULL, 0);
        times[run] = shown;
        printf("run %d: %.1f ms (processor %.1f ms, waiting for one %.1f ms, %lu minor faults)\n", run + 1, shown,
               running, waiting, faults);
        fflush(stdout);
        usleep(300000);
    }
    qsort(times, (size_t)runs, sizeof *times, compare);
    double median = runs % 2 ? times[runs / 2] : (times[runs / 2 - 1] + times[runs / 2]) / 2;
    printf("median of %d: %.1f ms\n", runs, median);
    free(times);
    return 0;
}
