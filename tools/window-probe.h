/*
 * What the measuring tools share: a monotonic clock in milliseconds and a
 * look on the X display for the top-level windows a process shows
 * (_NET_WM_PID). Included by each tool, which is built on its own.
 */
#pragma once
#include <xcb/xcb.h>

#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <sys/types.h>
#include <time.h>

static double now_ms(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

static xcb_atom_t atom(xcb_connection_t* c, const char* name)
{
    xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, strlen(name), name), NULL);
    xcb_atom_t a = r ? r->atom : XCB_NONE;
    free(r);
    return a;
}

/* The viewable top-level windows of pid, at most max; their count. */
static int windows_of(xcb_connection_t* c, xcb_window_t root, xcb_atom_t pid_atom, pid_t pid, xcb_window_t* out,
                      int max)
{
    int count = 0;
    xcb_query_tree_reply_t* tree = xcb_query_tree_reply(c, xcb_query_tree(c, root), NULL);
    if (!tree)
        return 0;
    xcb_window_t* children = xcb_query_tree_children(tree);
    int n = xcb_query_tree_children_length(tree);
    for (int i = 0; i < n && count < max; ++i) {
        xcb_get_window_attributes_reply_t* a =
            xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, children[i]), NULL);
        int viewable = a && a->map_state == XCB_MAP_STATE_VIEWABLE;
        free(a);
        if (!viewable)
            continue;
        xcb_get_property_reply_t* p =
            xcb_get_property_reply(c, xcb_get_property(c, 0, children[i], pid_atom, XCB_ATOM_CARDINAL, 0, 1), NULL);
        if (p && xcb_get_property_value_length(p) == 4 && *(uint32_t*)xcb_get_property_value(p) == (uint32_t)pid)
            out[count++] = children[i];
        free(p);
    }
    free(tree);
    return count;
}
