#pragma once
// The tab "Raport o błędach" (tbsErrLog): a text area (Memo2) that shows the
// error report or the work log, and the "Menu" button with the report menu.
// The main window runs the menu's commands.

#include <QWidget>
#include <string>

class QAction;
class QMenu;
class QPlainTextEdit;
class QPushButton;

namespace rubso {

class ErrorReportPage : public QWidget {
  public:
    explicit ErrorReportPage(QWidget* parent = nullptr);

    // Shows the file's text (Windows-1250), or the single line `missingLine`
    // when the file does not exist.
    void ShowFile(const std::string& path, const std::string& missingLine);
    void Clear();
    std::string Text() const;

    QPushButton* MenuButton() const { return menuButton_; }
    QMenu* Menu() const { return menu_; }
    QAction* GoodsFileTestAction() const { return goodsFileTest_; }
    QAction* WorkLogAction() const { return workLog_; }
    QAction* ClearReportAction() const { return clearReport_; }
    QAction* PrintAction() const { return print_; }

  private:
    QPlainTextEdit* text_ = nullptr;
    QPushButton* menuButton_ = nullptr;
    QMenu* menu_ = nullptr;
    QAction* goodsFileTest_ = nullptr;
    QAction* workLog_ = nullptr;
    QAction* clearReport_ = nullptr;
    QAction* print_ = nullptr;
};

}  // namespace rubso
