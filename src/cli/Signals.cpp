#include "cli/Signals.h"

#include <signal.h>
#include <unistd.h>

#include "base/File.h"

namespace {

std::atomic<bool>* cancelFlag = nullptr;

// Every signal whose default action ends the process and that a program may catch.
constexpr int kEndingSignals[] = {SIGHUP, SIGINT, SIGQUIT, SIGTERM, SIGPIPE, SIGALRM, SIGUSR1,
                                  SIGUSR2, SIGXCPU, SIGXFSZ, SIGVTALRM, SIGPROF};

extern "C" void OnEndingSignal(int number) {
  if (number == SIGINT && cancelFlag && !cancelFlag->exchange(true)) return;
  RemoveUnfinishedSaves();
  ::signal(number, SIG_DFL);
  ::raise(number);
}

}  // namespace

void InstallSignalHandlers(std::atomic<bool>* cancel) {
  cancelFlag = cancel;
  for (int number : kEndingSignals) {
    struct sigaction current {};
    if (::sigaction(number, nullptr, &current) != 0 || current.sa_handler == SIG_IGN) continue;
    struct sigaction handler {};
    handler.sa_handler = OnEndingSignal;
    sigemptyset(&handler.sa_mask);
    // Blocked while the handler runs, so that two signals at once cannot both re-raise halfway.
    for (int other : kEndingSignals) sigaddset(&handler.sa_mask, other);
    ::sigaction(number, &handler, nullptr);
  }
}
