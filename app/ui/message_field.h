#pragma once
// The main window's one-line message field (edErr): green text for progress,
// red for failures. Every text shows at once, before the caller goes on with
// long work.

#include <QLineEdit>
#include <string>

namespace rubso {

class MessageField : public QLineEdit {
  public:
    explicit MessageField(QWidget* parent = nullptr);

    // `text` in Windows-1250 bytes; empty clears the field. Repaints the
    // field synchronously.
    void Show(const std::string& text, bool error);
    bool IsError() const { return error_; }

  private:
    bool error_ = false;
};

}  // namespace rubso
