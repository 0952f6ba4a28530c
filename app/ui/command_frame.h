#pragma once
// The framing every command of the main window shares.
//
// While a command runs the window repaints (the message field, the busy
// cursor, records of a batch) but must not start a second command or change
// its state under the running one. CommandInputBlocker swallows the
// operator's input to one window while RunCommand reports a command running;
// DisabledWhileRunning greys out the controls a command names and gives them
// back on every exit path, a failure included.

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <initializer_list>
#include <vector>

#include "core/command_guard.h"

namespace rubso {

// Every event handler of the windows runs its work here: through RunCommand
// (so it is refused while another command runs and its exception reaches the
// application-wide handler), then, when no command is left running, the
// after-command hook. Returns what RunCommand returned. `entry` as for
// RunCommand (the closing skips the connection check).
bool RunUiCommand(const std::function<void()>& command, EntryCheck entry = EntryCheck::Run);
// The same for a command the operator knows by a name ("Eksport do kasy");
// while it runs, RunningCommandName() gives that name, so an error shown
// meanwhile can say what failed.
bool RunUiCommand(const QString& name, const std::function<void()>& command,
                  EntryCheck entry = EntryCheck::Run);
// The name of the running command; empty when none runs or it has no name.
QString RunningCommandName();

// The work a window wants done as soon as the running command ends, such as
// a close the operator asked for meanwhile. One hook for the process; an
// empty function removes it.
void SetAfterCommandHook(std::function<void()> hook);

// Disables the widgets for its lifetime and enables them again when it dies
// (normal end or exception). Widgets destroyed meanwhile are skipped.
class DisabledWhileRunning {
  public:
    DisabledWhileRunning(std::initializer_list<QWidget*> widgets);
    ~DisabledWhileRunning();
    DisabledWhileRunning(const DisabledWhileRunning&) = delete;
    DisabledWhileRunning& operator=(const DisabledWhileRunning&) = delete;

  private:
    std::vector<QPointer<QWidget>> widgets_;
};

// An application-wide event filter: while IsCommandRunning(), mouse, key,
// wheel, shortcut and context-menu events aimed at `window` or any widget in
// it are dropped. Other windows (message boxes, the help window) and every
// paint, resize and timer event pass, and so does input to the widgets
// allowed while a command runs (the stop button of a batch). Esc pressed in
// the window meanwhile runs `onEscape` instead of reaching any widget.
// Installs itself on the application and removes itself when destroyed.
class CommandInputBlocker : public QObject {
  public:
    explicit CommandInputBlocker(QWidget* window);
    ~CommandInputBlocker() override;

    // `widget` (a child of the window) takes input while a command runs.
    void AllowWhileRunning(QWidget* widget);
    std::function<void()> onEscape;

    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QPointer<QWidget> window_;
    std::vector<QPointer<QWidget>> allowed_;
};

}  // namespace rubso
