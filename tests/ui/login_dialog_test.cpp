// The login dialog's keys, fields and outcomes, with the connection and the
// administrator's check replaced (their real counterparts run against the
// server in login_server_test.cpp).

#include "app/ui/login_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <stdexcept>

#include "core/app_state.h"
#include "core/codepage.h"
#include "core/file_utils.h"
#include "core/text_utils.h"
#include "core/work_log.h"
#include "tests/support/recording_operator.h"
#include "tests/support/temp_dir.h"

namespace rubso {
namespace {

// Types the text key by key; QTest::keyClicks takes only ASCII letters.
void TypeText(QWidget* widget, const QString& text) {
    for (const QChar c : text) {
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

class LoginDialogTest : public ::testing::Test {
  protected:
    LoginDialogTest() {
        App() = AppState{};
        App().dbPath = "srv:/data/sklep.fdb";
        App().dbUser = "SYSDBA";
        App().dbPassword = "masterkey";
        InitWorkLog(dir_.Path(), QDate(2024, 3, 15));
        dialog_.connectDatabase = [this] {
            ++connects_;
            return nextResult_;
        };
        dialog_.checkSchema = [this](bool forced) {
            checks_.push_back(forced);
            infoDuringCheck_ = dialog_.InfoLine()->text().toStdString();
            if (checkThrows_) throw std::runtime_error("lock conflict");
        };
    }
    ~LoginDialogTest() override {
        WorkLog() = TMyEcho{};
        App() = AppState{};
    }

    void Open() {
        dialog_.Open();
        dialog_.show();
        dialog_.activateWindow();
        (void)QTest::qWaitForWindowActive(&dialog_);
    }
    bool Logged(const std::string& text) const {
        return ReadFileText(WorkLogPath()).find(text) != std::string::npos;
    }

    test::TempDir dir_;
    TfmLog dialog_;
    int connects_ = 0;
    ConnectResult nextResult_ = ConnectResult::Connected;
    std::vector<bool> checks_;
    std::string infoDuringCheck_;
    bool checkThrows_ = false;
    test::ScopedRecordingOperator operator_;  // the main window's part while it logs in
};

TEST_F(LoginDialogTest, OpeningFillsTheFieldsAndShowsTheCheckForTheAdministrator) {
    Open();
    EXPECT_EQ("SYSDBA", dialog_.UserEdit()->text().toStdString());
    EXPECT_EQ("masterkey", dialog_.PasswordEdit()->text().toStdString());
    EXPECT_EQ(QLineEdit::Password, dialog_.PasswordEdit()->echoMode());
    EXPECT_TRUE(dialog_.TestBox()->isVisible());
    EXPECT_FALSE(dialog_.InfoLine()->isVisible());
    EXPECT_FALSE(dialog_.PathEdit()->isVisible());
    EXPECT_FALSE(dialog_.PathLabel()->isVisible());
    EXPECT_FALSE(App().localServer);
}

TEST_F(LoginDialogTest, OtherUsersGetNoSchemaCheckBox) {
    App().dbUser = "KASJER";
    Open();
    EXPECT_FALSE(dialog_.TestBox()->isVisible());
}

TEST_F(LoginDialogTest, ALocalServerHidesUserAndPasswordAndEnterLogsIn) {
    App().dbPath = "127.0.0.1:C:\\db\\x.gdb";
    Open();
    EXPECT_TRUE(App().localServer);
    EXPECT_FALSE(dialog_.UserEdit()->isVisible());
    EXPECT_FALSE(dialog_.PasswordEdit()->isVisible());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(1, connects_);
}

TEST_F(LoginDialogTest, AQuitAlreadyRequestedClosesAtOnce) {
    App().quitRequested = true;
    dialog_.Open();
    EXPECT_EQ(QDialog::Rejected, dialog_.result());
    EXPECT_EQ(0, connects_);
}

TEST_F(LoginDialogTest, UserIsUpperCasedAndPasswordLowerCasedAsTyped) {
    Open();
    dialog_.UserEdit()->clear();
    TypeText(dialog_.UserEdit(), QString::fromUtf8("kasjerłódź123"));
    EXPECT_EQ("KASJERŁÓDŹ12", dialog_.UserEdit()->text().toStdString());  // at most 12
    dialog_.PasswordEdit()->clear();
    QTest::keyClicks(dialog_.PasswordEdit(), QStringLiteral("TaJne"));
    EXPECT_EQ("tajne", dialog_.PasswordEdit()->text().toStdString());
}

TEST_F(LoginDialogTest, EnterInTheUserFieldMovesOnAndKeepsTheCheckBoxOfTheStoredUser) {
    Open();
    dialog_.UserEdit()->setFocus();
    dialog_.UserEdit()->setText("KASJER");
    QTest::keyClick(dialog_.UserEdit(), Qt::Key_Return);
    EXPECT_TRUE(dialog_.PasswordEdit()->hasFocus());
    EXPECT_TRUE(dialog_.TestBox()->isVisible());  // App().dbUser is still SYSDBA
    EXPECT_EQ(0, connects_);
}

TEST_F(LoginDialogTest, EnterInThePasswordFieldLogsIn) {
    Open();
    dialog_.PasswordEdit()->setFocus();
    QTest::keyClick(dialog_.PasswordEdit(), Qt::Key_Return);
    EXPECT_EQ(1, connects_);
    EXPECT_EQ(QDialog::Accepted, dialog_.result());
}

TEST_F(LoginDialogTest, EscTwiceAfterF2HidesThePathThenEndsTheProgram) {
    Open();
    QTest::keyClick(&dialog_, Qt::Key_F2);
    EXPECT_TRUE(dialog_.PathEdit()->isVisible());
    EXPECT_TRUE(dialog_.PathEdit()->hasFocus());
    QTest::keyClick(dialog_.PathEdit(), Qt::Key_Escape);
    EXPECT_FALSE(dialog_.PathEdit()->isVisible());
    EXPECT_TRUE(dialog_.isVisible());
    EXPECT_FALSE(App().quitRequested);
    QTest::keyClick(&dialog_, Qt::Key_Escape);
    EXPECT_TRUE(App().quitRequested);
    EXPECT_FALSE(dialog_.isVisible());
}

TEST_F(LoginDialogTest, CloseButtonEndsTheProgram) {
    Open();
    dialog_.CloseButton()->click();
    EXPECT_TRUE(App().quitRequested);
    EXPECT_EQ(0, connects_);
}

TEST_F(LoginDialogTest, TheAdministratorLoginChecksTheSchemaAndCloses) {
    Open();
    dialog_.TestBox()->setChecked(true);
    dialog_.UserEdit()->setText("SYSDBA");
    dialog_.PathEdit()->setText("srv:/data/inna.fdb");
    dialog_.EnterButton()->click();
    EXPECT_EQ(std::vector<bool>{true}, checks_);
    EXPECT_EQ("Sprawdzanie bazy ...", infoDuringCheck_);
    EXPECT_EQ("srv:/data/inna.fdb", App().dbPath);
    EXPECT_EQ(QDialog::Accepted, dialog_.result());
    EXPECT_FALSE(App().quitRequested);
    EXPECT_TRUE(Logged(Cp1250("Łączenie z bazą ...")));
    EXPECT_EQ(nullptr, QApplication::overrideCursor());
}

TEST_F(LoginDialogTest, OtherUsersAreNotChecked) {
    App().dbUser = "KASJER";
    Open();
    dialog_.TestBox()->setChecked(true);  // hidden: it does not count
    dialog_.UserEdit()->setText("KASJER");
    dialog_.EnterButton()->click();
    EXPECT_TRUE(checks_.empty());
    EXPECT_EQ(QDialog::Accepted, dialog_.result());
}

TEST_F(LoginDialogTest, ARefusalShowsItsNumberInRedAndThePathFieldsAndStaysOpen) {
    App().dbPath = "127.0.0.1/3055:/nie/ma.fdb";
    Open();
    nextResult_ = ConnectResult::ConnectionRefused;
    dialog_.EnterButton()->click();
    EXPECT_TRUE(dialog_.isVisible());
    EXPECT_EQ("Brak dostępu do bazy (2)", dialog_.InfoLine()->text().toStdString());
    EXPECT_EQ(QColor(192, 0, 0), dialog_.InfoLine()->palette().color(QPalette::Window));
    EXPECT_TRUE(dialog_.PathEdit()->isVisible());
    EXPECT_TRUE(dialog_.PathLabel()->isVisible());
    EXPECT_TRUE(dialog_.UserEdit()->isVisible());  // shown again for a local server
    EXPECT_TRUE(dialog_.PasswordEdit()->isVisible());
    EXPECT_TRUE(dialog_.UserEdit()->hasFocus());
    EXPECT_FALSE(dialog_.EnterButton()->isVisible());
    EXPECT_TRUE(checks_.empty());
    EXPECT_TRUE(
        Logged("Brak dost\xea"
               "pu do bazy (2)"));

    nextResult_ = ConnectResult::Connected;
    dialog_.PathEdit()->setText("127.0.0.1/3055:/jest/baza.fdb");
    dialog_.PasswordEdit()->setFocus();
    QTest::keyClick(dialog_.PasswordEdit(), Qt::Key_Return);
    EXPECT_EQ(2, connects_);
    EXPECT_EQ(QDialog::Accepted, dialog_.result());
}

TEST_F(LoginDialogTest, AFailedAdministratorSetUpEndsTheProgram) {
    Open();
    nextResult_ = ConnectResult::AdministratorSetupFailed;
    dialog_.EnterButton()->click();
    EXPECT_TRUE(App().quitRequested);
    EXPECT_FALSE(dialog_.isVisible());
}

TEST_F(LoginDialogTest, AFailingSchemaCheckIsReportedAndTheDialogStaysOpen) {
    Open();
    checkThrows_ = true;
    dialog_.EnterButton()->click();
    EXPECT_EQ(std::vector<std::string>{"lock conflict"}, operator_->MessageTexts());
    EXPECT_TRUE(dialog_.isVisible());
    EXPECT_EQ("Sprawdzanie bazy ...", dialog_.InfoLine()->text().toStdString());
    EXPECT_EQ(nullptr, QApplication::overrideCursor());
    EXPECT_FALSE(App().quitRequested);
}

}  // namespace
}  // namespace rubso
