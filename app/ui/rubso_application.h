#pragma once
// The program's application object. Its event dispatch is the last line of
// defence of the exception guard: an exception that escapes any event
// handler is handled there and never unwinds through Qt's event loop.

#include <QApplication>

namespace rubso {

class RubsoApplication : public QApplication {
  public:
    // `argc` must outlive the application (QApplication keeps a reference).
    // Qt's own texts (dialog buttons, the date picker's calendar) are Polish:
    // the Polish locale and Qt's Polish translations, when installed.
    RubsoApplication(int& argc, char** argv);

    // Delivers the event; an exception from the receiver is logged and shown
    // by HandleException, the event counts as not handled (false) and the
    // program goes on.
    bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace rubso
