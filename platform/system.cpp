// The system around the game: the handheld's launcher, and signals.
#include <csignal>

#include <unistd.h>

#include "platform.h"

const char LAUNCHER[] = "/usr/gp2x/gp2xmenu";

// Passes a hang-up on as SIGTERM (kill is safe in a signal handler).
static void HangUp(int) {
    kill(getpid(), SIGTERM);
}

void CatchHangUp() {
    struct sigaction term, hup;
    if (sigaction(SIGTERM, nullptr, &term) != 0 || sigaction(SIGHUP, nullptr, &hup) != 0) return;
    // Only where SDL catches SIGTERM, and not where the hang-up is ignored
    // on purpose (nohup).
    if (term.sa_handler == SIG_DFL || term.sa_handler == SIG_IGN || hup.sa_handler == SIG_IGN)
        return;
    struct sigaction act = {};
    act.sa_handler = HangUp;
    sigemptyset(&act.sa_mask);
    sigaction(SIGHUP, &act, nullptr);
}

Uint8 OnHandheld() {
    return access(LAUNCHER, X_OK) == 0 ? 1 : 0;
}
