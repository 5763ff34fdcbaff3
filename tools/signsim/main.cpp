// signsim: a simulated LED sign on a pseudo-terminal, for people and for end-to-end tests.
// It is written from the sign's side and shares no code with the configuration tool.
#include "log.h"
#include "options.h"
#include "pty.h"
#include "session.h"
#include "signstate.h"
#include "statefile.h"
#include "tcpline.h"

#include <signal.h>
#include <sys/signalfd.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace signsim;

int fail(const std::string& message, int status)
{
    std::fprintf(stderr, "signsim: %s\n", message.c_str());
    return status;
}

// The starting state: factory, then the --config file, then explicit model and build options.
std::optional<SignState> initialState(const Options& o, std::string& error)
{
    SignState state = factoryState(o.model, o.build);
    if (o.configPath) {
        const auto text = readWholeFile(*o.configPath, error);
        if (!text)
            return std::nullopt;
        auto loaded = parseState(*text, state, error);
        if (!loaded) {
            error = *o.configPath + ": " + error;
            return std::nullopt;
        }
        state = std::move(*loaded);
    }
    if (o.modelGiven)
        state.model = o.model;
    if (o.buildGiven)
        state.build = o.build;
    error = validateState(state);
    if (!error.empty())
        return std::nullopt;
    return state;
}

int runSign(const Options& o, UniqueFd signalFd)
{
    std::string error;
    auto state = initialState(o, error);
    if (!state)
        return fail(error, 2);
    std::unique_ptr<Line> line;
    bool unwatched = false;
    if (o.tcpPort) {
        line = TcpLine::listen(*o.tcpPort, error);
    } else if (auto pty = PseudoTerminal::open(error)) {
        // The watch on the device starts here, before anyone can learn its path.
        auto ptyLine = std::make_unique<PtyLine>(std::move(*pty));
        unwatched = !ptyLine->watching();
        line = std::move(ptyLine);
    }
    if (!line)
        return fail(error, 1);
    SessionOptions so;
    so.crlf = o.crlf;
    so.silent = o.silent;
    so.paced = o.paced;
    so.echo = o.echo;
    so.noise = o.noise;
    so.dumpText = o.dumpText;
    so.dumpAfter = o.dumpAfter;
    so.dumpPauseMs = o.dumpPauseMs;
    so.hangupInDump = o.hangupInDump;
    so.hangupAfter = o.hangupAfter;
    so.dropItem = o.dropItem;
    so.corruptItem = o.corruptItem;
    so.refuseFrom = o.refuseFrom;
    so.babbleMs = o.babbleMs;
    so.babbleText = o.babbleText;
    so.statePath = o.statePath;
    const std::string summary = "model " + state->model
        + (state->build ? ", build " + *state->build : ", no build number")
        + (o.linkPath ? ", linked as " + *o.linkPath : std::string())
        + (o.tcpPort ? ", one client at a time" : std::string());
    Log log(stdout);
    // Everything a reader of the first line relies on is in place before it is shown: the
    // watch on the device (or the listening socket), the state file and the link.
    Session session(so, std::move(*state), *line, log);
    if (!session.saveState(error))
        return fail("cannot write the state file: " + error, 1);
    std::optional<PathLink> link;
    if (o.linkPath) {
        link = o.tcpPort ? PathLink::createFile(*o.linkPath, line->name() + "\n", error)
                         : PathLink::create(*o.linkPath, line->name(), error);
        if (!link)
            return fail(error, 1);
    }
    log.line(line->name());
    log.note(summary);
    if (unwatched)
        log.note("cannot watch the device for openings; replies are kept for the next reader");
    return session.run(signalFd.get());
}

}  // namespace

int main(int argc, char** argv)
{
    // Signals arrive through a descriptor the loop polls, so that ending unwinds normally
    // and every destructor (the symbolic link's above all) runs.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGHUP);
    sigprocmask(SIG_BLOCK, &stopSignals, nullptr);
    signal(SIGPIPE, SIG_IGN);
    UniqueFd signalFd(signalfd(-1, &stopSignals, SFD_CLOEXEC));
    if (!signalFd.valid())
        return fail("signalfd failed", 1);

    std::string error;
    const auto options = parseOptions(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) {
        std::fprintf(stderr, "signsim: %s (see --help)\n", error.c_str());
        return 2;
    }
    if (options->help) {
        std::fputs(usageText().c_str(), stdout);
        return 0;
    }
    return runSign(*options, std::move(signalFd));
}
