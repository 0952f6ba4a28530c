#pragma once
// The page "Odczyt sprzedaży i eksport do handlu" (tbsOdczyt): the sales
// date, the sales read, the counter reset, the sales memo and the list of
// sales-read files waiting to be sent. The main window runs its commands.

#include <QWidget>
#include <string>
#include <vector>

class QDateEdit;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QPushButton;

namespace rubso {

class SalesPage : public QWidget {
  public:
    explicit SalesPage(QWidget* parent = nullptr);

    // The sales memo (Memo): the newest line on top.
    void AddMemoLine(const std::string& line);
    void ClearMemo();
    // Replaces the memo with a file's text (Windows-1250 bytes).
    void ShowMemoText(const std::string& text);
    std::vector<std::string> MemoLines() const;

    // The sales-read list (lbOdczyty): file names without directory.
    void ShowReads(const std::vector<std::string>& fileNames);
    void HideReads();
    std::string SelectedRead() const;

    QDateEdit* DatePicker() const { return date_; }
    QPushButton* ReadButton() const { return read_; }
    QPushButton* ResetButton() const { return reset_; }
    QPushButton* SendButton() const { return send_; }
    QListWidget* ReadsList() const { return reads_; }
    QMenu* ReadsMenu() const { return readsMenu_; }
    QPlainTextEdit* Memo() const { return memo_; }

  private:
    QDateEdit* date_ = nullptr;
    QPushButton* read_ = nullptr;
    QPushButton* reset_ = nullptr;
    QPushButton* send_ = nullptr;
    QPlainTextEdit* memo_ = nullptr;
    QListWidget* reads_ = nullptr;
    QMenu* readsMenu_ = nullptr;
};

}  // namespace rubso
