#include "app/ui/command_frame.h"

#include <QAction>
#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QShortcut>

#include "core/command_guard.h"

namespace rubso {
namespace {

bool IsOperatorInput(QEvent::Type type) {
    switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::Drop:
            return true;
        default:
            return false;
    }
}

// The widget an event is for: the widget itself, or the widget a shortcut
// or action belongs to.
QWidget* TargetWidget(QObject* watched) {
    if (auto* widget = qobject_cast<QWidget*>(watched)) return widget;
    if (auto* shortcut = qobject_cast<QShortcut*>(watched)) {
        return qobject_cast<QWidget*>(shortcut->parent());
    }
    if (auto* action = qobject_cast<QAction*>(watched)) {
        return qobject_cast<QWidget*>(action->parent());
    }
    return nullptr;
}

std::function<void()>& AfterCommandHook() {
    static std::function<void()> hook;
    return hook;
}

QString& CommandName() {
    static QString name;
    return name;
}

}  // namespace

bool RunUiCommand(const QString& name, const std::function<void()>& command, EntryCheck entry) {
    // A command refused because another runs leaves that one's name alone.
    const bool starts = !IsCommandRunning();
    if (starts) CommandName() = name;
    const bool completed = RunCommand(command, entry);
    if (starts) CommandName().clear();
    if (!IsCommandRunning() && AfterCommandHook()) {
        // A copy: the hook may replace itself (a window closing).
        const std::function<void()> hook = AfterCommandHook();
        hook();
    }
    return completed;
}

bool RunUiCommand(const std::function<void()>& command, EntryCheck entry) {
    return RunUiCommand(QString(), command, entry);
}

QString RunningCommandName() {
    return IsCommandRunning() ? CommandName() : QString();
}

void SetAfterCommandHook(std::function<void()> hook) {
    AfterCommandHook() = std::move(hook);
}

DisabledWhileRunning::DisabledWhileRunning(std::initializer_list<QWidget*> widgets) {
    for (QWidget* widget : widgets) {
        if (widget == nullptr) continue;
        widget->setEnabled(false);
        widgets_.emplace_back(widget);
    }
}

DisabledWhileRunning::~DisabledWhileRunning() {
    for (const QPointer<QWidget>& widget : widgets_) {
        if (widget) widget->setEnabled(true);
    }
}

CommandInputBlocker::CommandInputBlocker(QWidget* window) : window_(window) {
    QCoreApplication::instance()->installEventFilter(this);
}

CommandInputBlocker::~CommandInputBlocker() {
    if (QCoreApplication::instance() != nullptr) {
        QCoreApplication::instance()->removeEventFilter(this);
    }
}

void CommandInputBlocker::AllowWhileRunning(QWidget* widget) {
    allowed_.emplace_back(widget);
}

bool CommandInputBlocker::eventFilter(QObject* watched, QEvent* event) {
    if (!IsCommandRunning() || !window_ || !IsOperatorInput(event->type())) return false;
    QWidget* target = TargetWidget(watched);
    if (target == nullptr || target->window() != window_) return false;
    for (const QPointer<QWidget>& allowed : allowed_) {
        if (allowed && (target == allowed || allowed->isAncestorOf(target))) return false;
    }
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && onEscape) {
        onEscape();
    }
    return true;
}

}  // namespace rubso
