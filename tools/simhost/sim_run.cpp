#include "sim_run.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <thread>

#include "sim_actions.h"
#include "sim_events.h"
#include "sim_say.h"
#include "simhost.h"
#include "status_snapshot.h"

namespace kestrix_sim {
namespace {

namespace fs = std::filesystem;

// The simulator's frame period, used for pacing in real time too.
constexpr double kFramePeriod = 0.025;
// Snapshots of the windows come at most this often, in virtual seconds.
constexpr double kSnapshotInterval = 0.5;

enum ExitCode { kOk = 0, kBadSetup = 1, kLoadFailed = 2, kPluginRefused = 3 };

struct SimPaths {
    std::string root, aircraft, plugin, datarefs, commands;
    std::string log;  // the simulator's Log.txt, in the root
};

std::string Absolute(const fs::path& path) {
    return fs::absolute(path).lexically_normal();
}

// The root's own table as the simulator ships it, else the project's: the
// copy installed beside the program (bin/../share/kestrix-sim), else the
// one in the source tree it was built from.
std::string DefaultTable(const fs::path& root, const char* name) {
    fs::path own = root / "Resources" / "plugins" / name;
    if (fs::exists(own)) return Absolute(own);
    std::error_code error;
    const fs::path program = fs::read_symlink("/proc/self/exe", error);
    const fs::path installed = program.parent_path().parent_path() / "share" / "kestrix-sim" / name;
    if (!error && fs::exists(installed, error)) return Absolute(installed);
    return Absolute(fs::path(KESTRIX_SIM_DATA_DIR) / name);
}

// Resolved before the working directory changes to the root, so paths given
// relative to the caller's directory keep their meaning (the aircraft's is
// relative to the root, as the simulator's are).
SimPaths ResolvePaths(const SimOptions& options) {
    SimPaths paths;
    fs::path root = Absolute(options.root);
    paths.root = root;
    paths.log = Absolute(root / "Log.txt");
    if (!options.aircraft.empty()) {
        fs::path aircraft(options.aircraft);
        paths.aircraft = Absolute(aircraft.is_absolute() ? aircraft : root / aircraft);
    }
    paths.plugin = options.plugin.empty()
                       ? Absolute(root / "Resources" / "plugins" / "Kestrix" / "64" / "lin.xpl")
                       : Absolute(options.plugin);
    paths.datarefs =
        options.datarefs.empty() ? DefaultTable(root, "DataRefs.txt") : Absolute(options.datarefs);
    paths.commands =
        options.commands.empty() ? DefaultTable(root, "Commands.txt") : Absolute(options.commands);
    return paths;
}

bool LoadTables(const SimPaths& paths) {
    int datarefs = simhost::LoadDataRefTable(paths.datarefs);
    int commands = simhost::LoadCommandTable(paths.commands);
    if (datarefs < 0 || commands < 0) {
        std::fprintf(stderr, "kestrix-sim: cannot read %s\n",
                     (datarefs < 0 ? paths.datarefs : paths.commands).c_str());
        return false;
    }
    Say("datarefs: %d from %s\ncommands: %d from %s\n", datarefs, paths.datarefs.c_str(), commands,
        paths.commands.c_str());
    return true;
}

// Prints the windows after frames that changed them, rate-limited: a whole
// window when it first appears or is shown or hidden, otherwise only the
// rows whose text changed, so a turning spinner costs one line.
class StatusPrinter {
  public:
    StatusPrinter() {
        simhost::SetWidgetObserver([this](XPWidgetID) { changed_ = true; });
    }
    ~StatusPrinter() { simhost::SetWidgetObserver(nullptr); }

    void AfterFrame(double now) {
        if (changed_ && (!printed_ || now - lastPrint_ >= kSnapshotInterval - 1e-9)) Print(now);
    }

    // The last state is always shown, unless the last snapshot already is it.
    void Final(double now) {
        if (changed_ || !printed_) Print(now);
    }

    void Print(double now) {
        for (XPWidgetID window : TopLevelWidgets()) PrintWindow(window, now);
        changed_ = false;
        printed_ = true;
        lastPrint_ = now;
    }

  private:
    void PrintWindow(XPWidgetID window, double now) {
        std::vector<std::string> lines = WindowSnapshot(window, now);
        if (lines.empty()) return;
        std::vector<std::string>& last = lastShown_[window];
        bool whole = last.empty() || StateOf(last[0]) != StateOf(lines[0]);
        for (std::size_t i = 0; i < lines.size(); ++i) {
            bool seen = std::find(last.begin(), last.end(), lines[i]) != last.end();
            if (whole || (i > 0 && !seen)) {
                Say("%s%s\n", i > 0 && !whole ? lines[0].substr(0, 13).c_str() : "",
                    lines[i].c_str());
            }
        }
        last = std::move(lines);
    }

    // The header without its time: the window's name and whether it is shown.
    static std::string StateOf(const std::string& header) {
        std::size_t quote = header.find('"');
        return quote == std::string::npos ? header : header.substr(quote);
    }

    bool changed_ = false;
    bool printed_ = false;
    double lastPrint_ = 0;
    std::map<XPWidgetID, std::vector<std::string>> lastShown_;
};

// The simulator's log: every string the plugin gives XPLMDebugString goes,
// as it is given, to Log.txt in the root, which each run starts afresh.
class SimulatorLog {
  public:
    explicit SimulatorLog(const std::string& path) : file_(path, std::ios::trunc) {
        if (!file_) std::fprintf(stderr, "kestrix-sim: cannot write %s\n", path.c_str());
        simhost::SetDebugStringObserver([this](const std::string& text) {
            file_ << text;
            file_.flush();
        });
    }
    ~SimulatorLog() { simhost::SetDebugStringObserver(nullptr); }
    SimulatorLog(const SimulatorLog&) = delete;
    SimulatorLog& operator=(const SimulatorLog&) = delete;

  private:
    std::ofstream file_;
};

// Lines typed on standard input while the run goes on, each taken at the
// next frame. Not read when kestrix-sim runs in the background of an
// interactive shell (the terminal would stop it at its first read), and no
// more once the input has ended.
class TypedLines {
  public:
    TypedLines() { open_ = !(isatty(STDIN_FILENO) && tcgetpgrp(STDIN_FILENO) != getpgrp()); }

    void TakeInto(EventSchedule& events, double now) {
        pollfd entry{STDIN_FILENO, POLLIN, 0};
        while (open_ && poll(&entry, 1, 0) > 0) {
            char bytes[512];
            const ssize_t n = read(STDIN_FILENO, bytes, sizeof bytes);
            if (n <= 0) {
                open_ = false;  // ended; a last line without its newline still counts
                pending_ += '\n';
            } else {
                pending_.append(bytes, static_cast<std::size_t>(n));
            }
            for (std::size_t end; (end = pending_.find('\n')) != std::string::npos;) {
                Take(pending_.substr(0, end), events, now);
                pending_.erase(0, end + 1);
            }
        }
    }

  private:
    static void Take(const std::string& line, EventSchedule& events, double now) {
        if (line.find_first_not_of(" \t\r") == std::string::npos) return;
        TypedLine typed;
        std::string error;
        if (ParseTypedLine(line, &typed, &error)) {
            events.AddTyped(typed, now);
        } else {
            Say("%snot understood: %s\n", TimeStamp(now).c_str(), error.c_str());
        }
    }

    bool open_ = false;
    std::string pending_;
};

class Session {
  public:
    Session(const SimOptions& options, const SimPaths& paths)
        : options_(options),
          paths_(paths),
          events_(options.menus, options.messages, options.sets, options.commandRuns),
          log_(paths.log) {}

    int Run(const volatile std::sig_atomic_t* stopRequested);

  private:
    int StartPlugin();
    void StopPlugin();
    bool ReloadIfRequested();
    void AfterFrame();
    bool Finished() const;

    const SimOptions& options_;
    const SimPaths& paths_;
    EventSchedule events_;
    TypedLines typed_;
    StatusPrinter printer_;
    ActionPrinter actions_;
    SimulatorLog log_;
    simhost::PluginModule module_;
    int reloadsDone_ = 0;
};

int Session::StartPlugin() {
    std::string error;
    if (!simhost::LoadModule(paths_.plugin, &module_, &error)) {
        std::fprintf(stderr, "kestrix-sim: cannot load plugin: %s\n", error.c_str());
        return kLoadFailed;
    }
    int started = simhost::Start(module_);
    Say("plugin: %s | %s | %s\n", module_.name.c_str(), module_.signature.c_str(),
        module_.description.c_str());
    if (started == 0) {
        std::fprintf(stderr, "kestrix-sim: XPluginStart returned 0\n");
        simhost::ForgetPlugin();
        simhost::UnloadModule(&module_);
        return kPluginRefused;
    }
    if (simhost::Enable(module_) == 0) {
        std::fprintf(stderr, "kestrix-sim: XPluginEnable returned 0\n");
        simhost::Stop(module_);
        simhost::ForgetPlugin();
        simhost::UnloadModule(&module_);
        return kPluginRefused;
    }
    return kOk;
}

void Session::StopPlugin() {
    simhost::Disable(module_);
    simhost::Stop(module_);
    simhost::ForgetPlugin();
    simhost::UnloadModule(&module_);
}

// XPLMReloadPlugins asks for what the simulator does after the callback
// returns: the plugin is stopped, unloaded, loaded and started again.
bool Session::ReloadIfRequested() {
    if (simhost::ReloadPluginsCount() <= reloadsDone_) return true;
    reloadsDone_ = simhost::ReloadPluginsCount();
    Say("%sreloading plugins\n", TimeStamp(simhost::Now()).c_str());
    printer_.Final(simhost::Now());
    StopPlugin();
    return StartPlugin() == kOk;
}

void Session::AfterFrame() {
    printer_.AfterFrame(simhost::Now());
}

bool Session::Finished() const {
    if (options_.frames >= 0) return simhost::FrameCount() >= options_.frames;
    return simhost::Now() >= options_.seconds - 1e-9;
}

int Session::Run(const volatile std::sig_atomic_t* stopRequested) {
    int started = StartPlugin();
    if (started != kOk) return started;
    events_.RunDue(simhost::Now(), module_);
    if (!ReloadIfRequested()) return kLoadFailed;
    AfterFrame();
    while (!Finished() && !*stopRequested) {
        typed_.TakeInto(events_, simhost::Now());
        simhost::RunFrame();
        events_.RunDue(simhost::Now(), module_);
        if (!ReloadIfRequested()) return kLoadFailed;
        AfterFrame();
        if (!options_.fast)
            std::this_thread::sleep_for(std::chrono::duration<double>(kFramePeriod));
    }
    if (*stopRequested) Say("%sinterrupted\n", TimeStamp(simhost::Now()).c_str());
    printer_.Final(simhost::Now());
    StopPlugin();
    events_.ReportPending();
    Say("%sdone after %d frames\n", TimeStamp(simhost::Now()).c_str(), simhost::FrameCount());
    return kOk;
}

// The simulator's working directory is its root; the plugin may rely on it.
bool EnterRoot(const SimPaths& paths) {
    std::error_code error;
    if (!fs::is_directory(paths.root, error)) {
        std::fprintf(stderr, "kestrix-sim: %s is not a folder\n", paths.root.c_str());
        return false;
    }
    if (chdir(paths.root.c_str()) != 0) {
        std::perror(("kestrix-sim: " + paths.root).c_str());
        return false;
    }
    return true;
}

void SetUpSimulator(const SimPaths& paths) {
    simhost::SetFramePeriod(kFramePeriod);
    simhost::SetFlightTimeRunning(true);
    simhost::SetModulePath(paths.plugin);
    simhost::SetAircraftPath(paths.aircraft);
    Say("root: %s\naircraft: %s\nmodule: %s\nlog: %s\n", paths.root.c_str(),
        paths.aircraft.empty() ? "(none)" : paths.aircraft.c_str(), paths.plugin.c_str(),
        paths.log.c_str());
}

}  // namespace

int RunSimulation(const SimOptions& options, const volatile std::sig_atomic_t* stopRequested) {
    SimPaths paths = ResolvePaths(options);
    if (!EnterRoot(paths) || !LoadTables(paths)) return kBadSetup;
    SetUpSimulator(paths);
    Session session(options, paths);
    return session.Run(stopRequested);
}

}  // namespace kestrix_sim
