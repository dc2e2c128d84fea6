// Starts a program and times it from the moment before fork until the X server maps its top-level
// window, then reports the program's peak resident memory and closes it the way a user would.
//
//   mapwait SETTLE_MS PROGRAM [ARGS...]
//
// Prints one line: "startup_us=<n> vmhwm_kb=<n> maxrss_kb=<n> cpu_us=<n> width=<n> height=<n>",
// cpu_us being the CPU time the program's main thread had used when its window was mapped.
// VmHWM is read from /proc after the window has been shown for SETTLE_MS milliseconds (so the first
// paint is included), just before the close request; maxrss is the kernel's figure for the whole
// life of the process, teardown included, as a cross-check.
//
// The event comes straight from the X server (a MapNotify on the root window, as the window
// manager would see it), so no polling interval blurs the figure. Run it without a window manager
// for the program's own time; under one, the figure includes the manager's reaction. For a Windows
// program, PROGRAM is wine: Wine runs the program in the process it starts as, so every figure is
// the program's own, the Wine server and Wine's background services not included.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

namespace {

long long NowMicroseconds() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<long long>(t.tv_sec) * 1'000'000 + t.tv_nsec / 1000;
}

// The pid the toolkit recorded on the window, or 0: tells the program's window from anyone else's.
long WindowPid(Display* display, Window window) {
    const Atom netWmPid = XInternAtom(display, "_NET_WM_PID", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    long pid = 0;
    if (XGetWindowProperty(display, window, netWmPid, 0, 1, False, XA_CARDINAL, &type, &format, &count,
                           &remaining, &data) == Success &&
        data != nullptr && format == 32 && count == 1) {
        pid = *reinterpret_cast<long*>(data);
    }
    if (data != nullptr) XFree(data);
    return pid;
}

// Nanoseconds the process (its main thread) has run on a CPU so far: unlike the wall clock, this
// hardly moves when other work competes for the machine. Threads' time is not included.
long long CpuNanoseconds(pid_t pid) {
    std::ifstream schedstat("/proc/" + std::to_string(pid) + "/schedstat");
    long long ns = -1;
    schedstat >> ns;
    return ns;
}

long StatusKilobytes(pid_t pid, const char* field) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    const std::string prefix = std::string(field) + ":";
    while (std::getline(status, line)) {
        if (line.compare(0, prefix.size(), prefix) == 0) return std::strtol(line.c_str() + prefix.size(), nullptr, 10);
    }
    return -1;
}

// Waits for the next X event up to `deadline`; false on time-out.
bool NextEvent(Display* display, XEvent& event, long long deadline) {
    while (XPending(display) == 0) {
        const long long left = deadline - NowMicroseconds();
        if (left <= 0) return false;
        pollfd fd{ConnectionNumber(display), POLLIN, 0};
        poll(&fd, 1, static_cast<int>(left / 1000) + 1);
    }
    XNextEvent(display, &event);
    return true;
}

void CloseLikeTheUser(Display* display, Window window) {
    XEvent message{};
    message.xclient.type = ClientMessage;
    message.xclient.window = window;
    message.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    message.xclient.format = 32;
    message.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    message.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &message);
    XFlush(display);
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: mapwait SETTLE_MS PROGRAM [ARGS...]\n");
        return 2;
    }
    const long settleMs = std::strtol(argv[1], nullptr, 10);
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "mapwait: cannot open display\n");
        return 2;
    }
    const Window root = DefaultRootWindow(display);
    XSelectInput(display, root, SubstructureNotifyMask);
    XSync(display, False);  // listening before the program starts, so no map can be missed

    const long long start = NowMicroseconds();
    const pid_t pid = fork();
    if (pid == 0) {
        close(ConnectionNumber(display));
        // Only our result line goes to our output. Wine's background services, started by the
        // program, would also keep a caller's pipe open long after the program is gone.
        const int nothing = open("/dev/null", O_RDWR);
        dup2(nothing, STDIN_FILENO);
        dup2(nothing, STDOUT_FILENO);
        close(nothing);
        execvp(argv[2], argv + 2);
        std::perror("mapwait: exec");
        _exit(127);
    }

    // The first window mapped by our child; 30 s is far beyond any real start. Override-redirect
    // windows count too: Wine maps its top-level windows so when no window manager is to handle
    // them. The pid alone tells the program's window from anyone else's.
    Window window = None;
    long long mapped = 0;
    long long cpuAtMap = 0;
    XEvent event;
    while (window == None && NextEvent(display, event, start + 30'000'000)) {
        if (event.type != MapNotify) continue;
        const long long at = NowMicroseconds();
        const long long cpu = CpuNanoseconds(pid);
        if (WindowPid(display, event.xmap.window) == pid) {
            window = event.xmap.window;
            mapped = at;
            cpuAtMap = cpu;
        }
    }
    if (window == None) {
        std::fprintf(stderr, "mapwait: %s mapped no window\n", argv[2]);
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        return 1;
    }

    XWindowAttributes attributes{};
    XGetWindowAttributes(display, window, &attributes);

    // Let the window paint and the program go idle, then take its high-water mark.
    const long long settled = mapped + settleMs * 1000;
    while (NextEvent(display, event, settled)) {
    }
    const long vmhwm = StatusKilobytes(pid, "VmHWM");

    CloseLikeTheUser(display, window);
    int status = 0;
    rusage usage{};
    for (int waited = 0; wait4(pid, &status, WNOHANG, &usage) == 0; ++waited) {
        if (waited == 5000) kill(pid, SIGKILL);  // 5 s: it ignored the close request
        usleep(1000);
    }
    XCloseDisplay(display);

    std::printf("startup_us=%lld vmhwm_kb=%ld maxrss_kb=%ld cpu_us=%lld width=%d height=%d\n", mapped - start,
                vmhwm, usage.ru_maxrss, cpuAtMap / 1000, attributes.width, attributes.height);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : 1;
}
