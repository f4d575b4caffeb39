#include "base/log_once.h"

#include <set>

#include "base/log.h"
#include "base/text.h"

namespace {

// Far more than the causes of one session (board numbers, serial devices,
// data.cfg sections); a bound keeps a run of odd messages from growing it.
constexpr std::size_t kMostCauses = 1024;

std::set<std::string>& LoggedCauses() {
    static std::set<std::string> causes;
    return causes;
}

}  // namespace

bool FirstTimeFor(const std::string& cause) {
    std::set<std::string>& causes = LoggedCauses();
    return causes.size() < kMostCauses && causes.insert(cause).second;
}

bool LogOnce(const std::string& cause, const std::string& text) {
    if (!FirstTimeFor(cause)) return false;
    Log(text);
    return true;
}

void ForgetLoggedCauses(const std::string& prefix) {
    std::set<std::string>& causes = LoggedCauses();
    for (auto it = causes.begin(); it != causes.end();) {
        it = StartsWith(*it, prefix) ? causes.erase(it) : std::next(it);
    }
}
