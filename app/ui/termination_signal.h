#pragma once
// The operating system's requests to end the program (SIGTERM, SIGINT,
// SIGHUP) turned into an ordinary event of the window layer: the signal
// handler only writes the signal's number into a pipe (the one thing a
// handler may safely do), and a socket notifier on the pipe's other end
// runs the callback on the event loop's thread, between two events, where
// the window can stop a batch and close in order.

#include <QObject>
#include <functional>
#include <string>

class QSocketNotifier;

namespace rubso {

class TerminationSignal : public QObject {
  public:
    // Catches the signals for the lifetime of the object and restores the
    // earlier handlers afterwards. `onSignal` gets the signal's name
    // ("SIGTERM"). One object per process; without POSIX signals it does
    // nothing.
    explicit TerminationSignal(std::function<void(const std::string& name)> onSignal,
                               QObject* parent = nullptr);
    ~TerminationSignal() override;
    TerminationSignal(const TerminationSignal&) = delete;
    TerminationSignal& operator=(const TerminationSignal&) = delete;

  private:
    void ReadSignals();

    std::function<void(const std::string&)> onSignal_;
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace rubso
