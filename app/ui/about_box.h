#pragma once
// The about box (TfmInfProg), embedded without a border in the tab
// "O programie": the title, the version, the program file with its
// modification time and the database path. "Zamknij" or Esc closes and frees
// it, leaving the tab empty.

#include <QWidget>
#include <string>

namespace rubso {

class TfmInfProg : public QWidget {
  public:
    // `programFile`: the full path of the running program file.
    TfmInfProg(const std::string& title, const std::string& programFile, QWidget* parent = nullptr);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace rubso
