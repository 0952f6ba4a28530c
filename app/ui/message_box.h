#pragma once
// The program's modal message boxes, with a seam for tests: while an answerer
// is installed, no box is shown and the answerer decides (keepassxc's
// MessageBox::setNextAnswer does the same).

#include <functional>

#include "core/operator.h"

class QWidget;

namespace rubso {

// Shows the box modally over `parent` and returns the button pressed. The
// texts are bytes in the program's code page; an empty title shows the
// application's title. Closing the box without a button counts as the
// preselected answer (Cancel or No when the box has one).
MessageAnswer ShowMessageBox(QWidget* parent, const MessageBoxRequest& request);

using MessageBoxAnswerer = std::function<MessageAnswer(const MessageBoxRequest&)>;

// Installs `answerer` for the lifetime of the object, then restores the
// previous one. For tests.
class ScopedMessageBoxAnswerer {
  public:
    explicit ScopedMessageBoxAnswerer(MessageBoxAnswerer answerer);
    ~ScopedMessageBoxAnswerer();
    ScopedMessageBoxAnswerer(const ScopedMessageBoxAnswerer&) = delete;
    ScopedMessageBoxAnswerer& operator=(const ScopedMessageBoxAnswerer&) = delete;

  private:
    MessageBoxAnswerer previous_;
};

}  // namespace rubso
