// kestrix-sim: runs a plugin module in a simulator folder without the
// simulator. See SimUsage() for the command line.
#include <signal.h>

#include <csignal>
#include <cstdio>

#include "sim_options.h"
#include "sim_run.h"
#include "sim_say.h"

namespace {

volatile std::sig_atomic_t gStopRequested = 0;

// Only sets the flag: the run checks it between frames and then shuts the
// plugin down the normal way.
void RequestStop(int) {
    gStopRequested = 1;
}

void InstallStopHandlers() {
    struct sigaction action = {};
    action.sa_handler = RequestStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
    kestrix_sim::SimOptions options;
    std::string error;
    if (!kestrix_sim::ParseSimOptions(argc, argv, &options, &error)) {
        std::fprintf(stderr, "kestrix-sim: %s\n%s", error.c_str(), kestrix_sim::SimUsage().c_str());
        return 1;
    }
    if (options.help) {
        std::printf("%s", kestrix_sim::SimUsage().c_str());
        return 0;
    }
    InstallStopHandlers();
    int status = kestrix_sim::RunSimulation(options, &gStopRequested);
    kestrix_sim::EndOutput();
    return status;
}
