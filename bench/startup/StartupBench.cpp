// Times the real program from its start to the moment its main window is
// mapped on the X server, once with SDL's PulseAudio driver and once with its
// dummy driver (the baseline: no sound server on the path), the two runs of a
// round taken back to back so that both see the same machine load. Prints the
// median, minimum and maximum of each and the difference of the medians.
//
//   bench_startup [-n ROUNDS] PROGRAM
//
// Needs DISPLAY (an X server without a window manager, such as the tests'
// Xvfb) and PULSE_SERVER; bench/startup/startup.sh provides both. The program
// is ended with SIGTERM once its window shows; the time it takes to exit is
// printed too, since a program that ignores the signal would stall every run.
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kMainTitle = "Просмотр и прослушивание";
constexpr auto kWindowTimeout = std::chrono::seconds(15);
constexpr auto kExitTimeout = std::chrono::seconds(5);

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

struct Run {
    double mappedMs = 0;
    double exitMs = 0;
    bool exitedBySignalAlone = true;
};

class Display {
public:
    Display() : connection_(xcb_connect(nullptr, nullptr)) {
        if (xcb_connection_has_error(connection_) != 0) return;
        root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
        // Top-level windows are children of the root when no window manager
        // reparents them: their MapNotify comes to a root listening to its
        // children's structure.
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &mask);
        pidAtom_ = Atom("_NET_WM_PID");
        nameAtom_ = Atom("_NET_WM_NAME");
        utf8Atom_ = Atom("UTF8_STRING");
        xcb_flush(connection_);
    }
    ~Display() { xcb_disconnect(connection_); }
    Display(const Display&) = delete;
    Display& operator=(const Display&) = delete;

    bool Ok() const { return xcb_connection_has_error(connection_) == 0; }

    /// Waits for a window of `pid` to be mapped; gives its title, or nothing
    /// on timeout.
    std::optional<std::string> WaitMapped(pid_t pid, Clock::time_point deadline) {
        for (;;) {
            while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
                std::unique_ptr<xcb_generic_event_t, decltype(&std::free)> owned(event, &std::free);
                if ((event->response_type & 0x7f) != XCB_MAP_NOTIFY) continue;
                const auto* map = reinterpret_cast<xcb_map_notify_event_t*>(event);
                if (PidOf(map->window) == pid) return Title(map->window);
            }
            const auto left = deadline - Clock::now();
            if (left <= Clock::duration::zero()) return std::nullopt;
            pollfd fd{xcb_get_file_descriptor(connection_), POLLIN, 0};
            poll(&fd, 1,
                 static_cast<int>(
                     std::chrono::duration_cast<std::chrono::milliseconds>(left).count() + 1));
        }
    }

private:
    xcb_atom_t Atom(const char* name) {
        auto* reply = xcb_intern_atom_reply(
            connection_,
            xcb_intern_atom(connection_, 0, static_cast<uint16_t>(std::strlen(name)), name),
            nullptr);
        xcb_atom_t atom = XCB_ATOM_NONE;
        if (reply != nullptr) atom = reply->atom;
        std::free(reply);
        return atom;
    }

    std::string Property(xcb_window_t window, xcb_atom_t property, xcb_atom_t type) {
        auto* reply = xcb_get_property_reply(
            connection_, xcb_get_property(connection_, 0, window, property, type, 0, 1024),
            nullptr);
        std::string value;
        if (reply != nullptr) {
            value.assign(static_cast<const char*>(xcb_get_property_value(reply)),
                         static_cast<std::size_t>(xcb_get_property_value_length(reply)));
        }
        std::free(reply);
        return value;
    }

    pid_t PidOf(xcb_window_t window) {
        const std::string value = Property(window, pidAtom_, XCB_ATOM_CARDINAL);
        uint32_t pid = 0;
        if (value.size() != sizeof pid) return 0;
        std::memcpy(&pid, value.data(), sizeof pid);
        return static_cast<pid_t>(pid);
    }

    std::string Title(xcb_window_t window) { return Property(window, nameAtom_, utf8Atom_); }

    xcb_connection_t* connection_;
    xcb_window_t root_ = 0;
    xcb_atom_t pidAtom_ = XCB_ATOM_NONE;
    xcb_atom_t nameAtom_ = XCB_ATOM_NONE;
    xcb_atom_t utf8Atom_ = XCB_ATOM_NONE;
};

std::vector<char*> Environment(std::vector<std::string>& storage, const char* driver) {
    storage.clear();
    for (char** e = environ; *e != nullptr; ++e) {
        if (std::strncmp(*e, "SDL_AUDIODRIVER=", 16) != 0 &&
            std::strncmp(*e, "QT_QPA_PLATFORM=", 16) != 0)
            storage.emplace_back(*e);
    }
    storage.push_back(std::string("SDL_AUDIODRIVER=") + driver);
    storage.emplace_back("QT_QPA_PLATFORM=xcb");
    std::vector<char*> pointers;
    for (std::string& s : storage) pointers.push_back(s.data());
    pointers.push_back(nullptr);
    return pointers;
}

// Waits for the child's end until the deadline; true when it ended.
bool Reap(pid_t pid, Clock::time_point deadline) {
    for (;;) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) return true;
        if (Clock::now() >= deadline) return false;
        usleep(1000);
    }
}

std::optional<Run> StartOnce(Display& display, const char* program, const char* driver) {
    std::vector<std::string> storage;
    std::vector<char*> env = Environment(storage, driver);
    char* argv[] = {const_cast<char*>(program), nullptr};
    const auto start = Clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, program, nullptr, nullptr, argv, env.data()) != 0) {
        std::fprintf(stderr, "cannot start %s\n", program);
        return std::nullopt;
    }
    const std::optional<std::string> title = display.WaitMapped(pid, start + kWindowTimeout);
    Run run;
    run.mappedMs = Ms(Clock::now() - start);
    const bool isMain = title && title->find(kMainTitle) != std::string::npos;
    const auto stop = Clock::now();
    kill(pid, SIGTERM);
    if (!Reap(pid, stop + kExitTimeout)) {
        run.exitedBySignalAlone = false;
        kill(pid, SIGKILL);
        Reap(pid, Clock::now() + kExitTimeout);
    }
    run.exitMs = Ms(Clock::now() - stop);
    if (!title) {
        std::fprintf(stderr, "%s: no window within %lld s\n", driver,
                     static_cast<long long>(kWindowTimeout.count()));
        return std::nullopt;
    }
    if (!isMain) {
        std::fprintf(stderr, "%s: a window titled '%s' showed instead of the main window\n", driver,
                     title->c_str());
        return std::nullopt;
    }
    return run;
}

struct Figures {
    double median, min, max;
};

Figures Summary(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    const double median = n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    return {median, values.front(), values.back()};
}

} // namespace

int main(int argc, char** argv) {
    int rounds = 7;
    int arg = 1;
    if (arg + 1 < argc && std::strcmp(argv[arg], "-n") == 0) {
        rounds = std::max(1, std::atoi(argv[arg + 1]));
        arg += 2;
    }
    if (arg + 1 != argc) {
        std::fprintf(stderr, "usage: %s [-n ROUNDS] PROGRAM\n", argv[0]);
        return 2;
    }
    const char* program = argv[arg];
    Display display;
    if (!display.Ok()) {
        std::fprintf(stderr, "cannot reach the X server (DISPLAY)\n");
        return 1;
    }

    const char* drivers[] = {"pulseaudio", "dummy"};
    std::vector<double> mapped[2], exits[2];
    bool ignoredSignal = false;
    // One unmeasured start of each first: the page cache and the font cache
    // are then warm for every measured run alike.
    for (const char* driver : drivers) {
        if (!StartOnce(display, program, driver)) return 1;
    }
    for (int r = 0; r < rounds; ++r) {
        for (int d = 0; d < 2; ++d) {
            const std::optional<Run> run = StartOnce(display, program, drivers[d]);
            if (!run) return 1;
            mapped[d].push_back(run->mappedMs);
            exits[d].push_back(run->exitMs);
            ignoredSignal = ignoredSignal || !run->exitedBySignalAlone;
        }
    }

    std::printf("start to main window mapped, %d rounds (median, min-max):\n", rounds);
    const char* labels[] = {"PulseAudio (SDL pulseaudio)", "dummy (SDL dummy, baseline)"};
    Figures figures[2];
    for (int d = 0; d < 2; ++d) {
        figures[d] = Summary(mapped[d]);
        const Figures exit = Summary(exits[d]);
        std::printf("  %-28s %7.1f ms  (%.1f-%.1f)   exit after SIGTERM %6.1f ms\n", labels[d],
                    figures[d].median, figures[d].min, figures[d].max, exit.median);
    }
    std::printf("  PulseAudio - dummy           %7.1f ms   (ratio %.2fx)\n",
                figures[0].median - figures[1].median, figures[0].median / figures[1].median);
    if (ignoredSignal) std::printf("  note: the program ignored SIGTERM and had to be killed\n");
    return 0;
}
