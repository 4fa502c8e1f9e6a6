// SPDX-License-Identifier: GPL-3.0-or-later
/* firstpaint: starts a program under the X display in DISPLAY and reports, as the X server
 * sees it, when it first draws on the screen (XDamage, in the server's own time since the
 * launch), when its first window was mapped (in this process's time), then how busy it is
 * while idle, how long it takes to close, and its peak memory.
 *
 *   firstpaint --wait-display SECONDS
 *   firstpaint [--settle MS] [--idle MS] [--close] [--limit SECONDS] -- PROGRAM [ARG...]
 *
 * Prints one line: map_ms paint_ms idle_cpu_pct exit_ms peak_kb width height of the window
 * measured, then the CPU time used up to the first paint in ms ("-" where not measured).
 * Without --close the program is sent SIGTERM after the idle time, unless it quit by itself. */
#define _GNU_SOURCE
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xcomposite.h>
#include <X11/extensions/Xdamage.h>

#include <dirent.h>
#include <errno.h>
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static double Now(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (double)t.tv_sec * 1000.0 + (double)t.tv_nsec / 1e6;
}

static void SleepMs(double ms) {
    struct timespec t = {(time_t)(ms / 1000),
                         (long)((ms - (double)(time_t)(ms / 1000) * 1000) * 1e6)};
    while (nanosleep(&t, &t) != 0 && errno == EINTR) {
    }
}

/* CPU time of a process, all its threads summed, in ms to the nanosecond (the scheduler's own
 * account: clock ticks would be far too coarse for an idle program); -1 when it is gone. */
static double CpuMs(pid_t pid) {
    char path[64];
    snprintf(path, sizeof path, "/proc/%d/task", (int)pid);
    DIR* tasks = opendir(path);
    if (!tasks)
        return -1;
    double total = 0;
    struct dirent* task;
    while ((task = readdir(tasks)) != NULL) {
        if (task->d_name[0] == '.')
            continue;
        char file[128];
        snprintf(file, sizeof file, "/proc/%d/task/%s/schedstat", (int)pid, task->d_name);
        FILE* f = fopen(file, "r");
        if (!f)
            continue;
        unsigned long long ns = 0;
        if (fscanf(f, "%llu", &ns) == 1)
            total += (double)ns / 1e6;
        fclose(f);
    }
    closedir(tasks);
    return total;
}

static int WaitDisplay(double seconds) {
    const double deadline = Now() + seconds * 1000.0;
    for (;;) {
        Display* d = XOpenDisplay(NULL);
        if (d) {
            XCloseDisplay(d);
            return 0;
        }
        if (Now() > deadline) {
            fprintf(stderr, "firstpaint: display %s not up within %.0f s\n",
                    getenv("DISPLAY") ? getenv("DISPLAY") : "(unset)", seconds);
            return 1;
        }
        SleepMs(50);
    }
}

/* Waits for an event up to the deadline; 0 when the time ran out or the program ended. */
static int NextEvent(Display* d, XEvent* event, double deadline, pid_t pid) {
    while (!XPending(d)) {
        const double left = deadline - Now();
        siginfo_t info;
        memset(&info, 0, sizeof info);
        if (left <= 0 || (waitid(P_PID, (id_t)pid, &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
                          info.si_pid == pid))
            return 0;
        struct pollfd p = {ConnectionNumber(d), POLLIN, 0};
        poll(&p, 1, left < 50 ? (int)left + 1 : 50);
    }
    XNextEvent(d, event);
    return 1;
}

/* A window that went away before it was measured is not a reason to stop. */
static int IgnoreError(Display* d, XErrorEvent* e) {
    (void)d;
    (void)e;
    return 0;
}

int main(int argc, char** argv) {
    double settle = 0, idle = 0, limit = 20;
    int closeWindow = 0, i = 1;
    for (; i < argc; ++i) {
        if (!strcmp(argv[i], "--wait-display") && i + 1 < argc)
            return WaitDisplay(atof(argv[i + 1]));
        if (!strcmp(argv[i], "--settle") && i + 1 < argc)
            settle = atof(argv[++i]);
        else if (!strcmp(argv[i], "--idle") && i + 1 < argc)
            idle = atof(argv[++i]);
        else if (!strcmp(argv[i], "--limit") && i + 1 < argc)
            limit = atof(argv[++i]);
        else if (!strcmp(argv[i], "--close"))
            closeWindow = 1;
        else if (!strcmp(argv[i], "--")) {
            ++i;
            break;
        } else
            break;
    }
    if (i >= argc) {
        fprintf(stderr, "usage: firstpaint [--settle MS] [--idle MS] [--close] -- PROGRAM...\n");
        return 2;
    }
    Display* d = XOpenDisplay(NULL);
    if (!d) {
        fprintf(stderr, "firstpaint: cannot open display %s\n", getenv("DISPLAY"));
        return 1;
    }
    int damageEvent = 0, damageError = 0;
    if (!XDamageQueryExtension(d, &damageEvent, &damageError)) {
        fprintf(stderr, "firstpaint: the X server has no DAMAGE extension\n");
        return 1;
    }
    XSetErrorHandler(IgnoreError);
    const Window root = DefaultRootWindow(d);
    /* With every window drawn off screen and put on the root by the server itself, drawing
     * into any window shows as damage to the root: watched from before the launch, no paint
     * can slip by, however late this process gets to read its events. */
    int compositeEvent = 0, compositeError = 0;
    if (!XCompositeQueryExtension(d, &compositeEvent, &compositeError)) {
        fprintf(stderr, "firstpaint: the X server has no Composite extension\n");
        return 1;
    }
    XCompositeRedirectSubwindows(d, root, CompositeRedirectAutomatic);
    const Damage damage = XDamageCreate(d, root, XDamageReportNonEmpty);
    XSelectInput(d, root, SubstructureNotifyMask);
    /* The server's clock at the launch: the time of a property change of our own. */
    Window clock = XCreateSimpleWindow(d, root, 0, 0, 1, 1, 0, 0, 0);
    XSelectInput(d, clock, PropertyChangeMask);
    const Atom tick = XInternAtom(d, "FIRSTPAINT_TICK", False);
    XChangeProperty(d, clock, tick, XA_STRING, 8, PropModeReplace, (const unsigned char*)"", 0);
    XEvent event;
    do
        XNextEvent(d, &event);
    while (event.type != PropertyNotify);
    const Time launched = event.xproperty.time;
    /* Whatever was drawn before the launch is forgotten, so the next drawing is reported. */
    XDamageSubtract(d, damage, None, None);
    XSync(d, True);

    const double start = Now();
    const pid_t pid = fork();
    if (pid == 0) {
        close(ConnectionNumber(d));
        /* The program's own chatter would mix with the figures. */
        freopen("/dev/null", "w", stdout);
        freopen("/dev/null", "w", stderr);
        execvp(argv[i], argv + i);
        _exit(127);
    }
    double mapped = -1, painted = -1;
    Window shown = 0;
    struct {
        Window id;
        int width, height;
    } windows[64];
    int windowCount = 0, width = 0, height = 0;
    const double deadline = start + limit * 1000.0;
    while (painted < 0 && NextEvent(d, &event, deadline, pid)) {
        if (event.type == CreateNotify && windowCount < 64) {
            windows[windowCount].id = event.xcreatewindow.window;
            windows[windowCount].width = event.xcreatewindow.width;
            windows[windowCount++].height = event.xcreatewindow.height;
        } else if (event.type == ConfigureNotify) {
            for (int w = 0; w < windowCount; ++w)
                if (windows[w].id == event.xconfigure.window) {
                    windows[w].width = event.xconfigure.width;
                    windows[w].height = event.xconfigure.height;
                }
        } else if (event.type == MapNotify && event.xmap.event == root && mapped < 0) {
            mapped = Now() - start;
            shown = event.xmap.window;
        } else if (event.type == damageEvent + XDamageNotify) {
            /* The first drawing on the screen after the launch: a message box shown before
             * the main window counts as the program's first paint too (the size tells). */
            painted = (double)(((XDamageNotifyEvent*)&event)->timestamp - launched);
        }
    }
    for (int w = 0; w < windowCount; ++w)
        if (windows[w].id == shown) {
            width = windows[w].width;
            height = windows[w].height;
        }
    int status = 0;
    struct rusage usage;
    memset(&usage, 0, sizeof usage);
    if (painted < 0) {
        kill(pid, SIGKILL);
        wait4(pid, &status, 0, &usage);
        if (WIFEXITED(status))
            fprintf(stderr, "firstpaint: %s ended with status %d before drawing\n", argv[i],
                    WEXITSTATUS(status));
        else
            fprintf(stderr, "firstpaint: %s drew nothing within %.0f s\n", argv[i], limit);
        return 1;
    }
    const double startCpu = CpuMs(pid);
    SleepMs(settle);
    double cpu = -1;
    if (idle > 0) {
        const double before = CpuMs(pid);
        SleepMs(idle);
        const double after = CpuMs(pid);
        if (before >= 0 && after >= 0)
            cpu = (after - before) / idle * 100.0;
    }
    double exited = -1;
    pid_t gone = waitpid(pid, &status, WNOHANG);
    if (gone == 0 && closeWindow) {
        /* What a window manager sends when the player closes the window. */
        XEvent message;
        memset(&message, 0, sizeof message);
        message.xclient.type = ClientMessage;
        message.xclient.window = shown;
        message.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
        message.xclient.format = 32;
        message.xclient.data.l[0] = (long)XInternAtom(d, "WM_DELETE_WINDOW", False);
        message.xclient.data.l[1] = CurrentTime;
        const double sent = Now();
        XSendEvent(d, shown, False, NoEventMask, &message);
        XFlush(d);
        const double stop = sent + 5000;
        while ((gone = wait4(pid, &status, WNOHANG, &usage)) == 0 && Now() < stop)
            SleepMs(0.5);
        if (gone == pid)
            exited = Now() - sent;
    }
    if (gone == 0) {
        kill(pid, SIGTERM);
        wait4(pid, &status, 0, &usage);
    } else if (gone == pid && exited < 0) {
        getrusage(RUSAGE_CHILDREN, &usage);
    }
    printf("%.1f %.1f ", mapped, painted);
    if (cpu >= 0)
        printf("%.3f ", cpu);
    else
        printf("- ");
    if (exited >= 0)
        printf("%.1f ", exited);
    else
        printf("- ");
    printf("%ld %d %d %.1f\n", usage.ru_maxrss, width, height, startCpu);
    XCloseDisplay(d);
    return 0;
}
