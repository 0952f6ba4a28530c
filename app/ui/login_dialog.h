#pragma once
// The login dialog (TfmLog): confirms or changes the connection string, user
// name and password, connects, and for the administrator brings the schema
// up to the program's version before the main window opens. Its outcome is
// App().connectResult (ConnectResult::Connected) and App().quitRequested
// (the program must end).

#include <QDialog>
#include <functional>

#include "core/app_state.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace rubso {

class TfmLog : public QDialog {
  public:
    explicit TfmLog(QWidget* parent = nullptr);

    // The connection and the administrator's check; replaceable for tests.
    // By default TDM::BazaConnect on DM() and AdministratorCheck(DM(), box).
    // The connection reports a refusal itself and returns the outcome.
    std::function<ConnectResult()> connectDatabase;
    std::function<void(bool testowanieBazy)> checkSchema;

    // Opening: ends at once when App().quitRequested is set; otherwise the
    // fields from App() and the administrator's check box for "SYSDBA".
    void Open();
    // "&Wejście".
    void Enter();
    // "&Zamknij": the program ends.
    void GiveUp();

    QLineEdit* UserEdit() const { return user_; }
    QLineEdit* PasswordEdit() const { return password_; }
    QLineEdit* PathEdit() const { return path_; }
    QLabel* PathLabel() const { return pathLabel_; }
    QLabel* InfoLine() const { return info_; }
    QCheckBox* TestBox() const { return test_; }
    QPushButton* EnterButton() const { return enter_; }
    QPushButton* CloseButton() const { return close_; }

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void ShowInfo(const QString& text, const QColor& background);
    void ShowCredentials(bool shown);
    void UserEntered();

    QLineEdit* user_ = nullptr;
    QLabel* userLabel_ = nullptr;
    QLineEdit* password_ = nullptr;
    QLabel* passwordLabel_ = nullptr;
    QCheckBox* test_ = nullptr;
    QPushButton* enter_ = nullptr;
    QPushButton* close_ = nullptr;
    QLabel* info_ = nullptr;
    QLabel* pathLabel_ = nullptr;
    QLineEdit* path_ = nullptr;
    bool finished_ = false;
};

// Creates the dialog, opens it and runs it modally; returns when it closes.
void RunLoginDialog(QWidget* parent);

}  // namespace rubso
