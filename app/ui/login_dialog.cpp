#include "app/ui/login_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QScopeGuard>
#include <QVBoxLayout>

#include "app/ui/command_frame.h"
#include "app/ui/upper_case_edit.h"
#include "core/app_state.h"
#include "core/codepage.h"
#include "core/operator.h"
#include "core/work_log.h"
#include "db/schema_upgrade.h"
#include "db/tdm.h"

namespace rubso {
namespace {

constexpr const char* kAdministrator = "SYSDBA";
constexpr int kUserMaxLength = 12;
const QString kLoginCommand = QStringLiteral("Logowanie do bazy danych");

// Passwords show as "*".
class StarPasswordStyle : public QProxyStyle {
  public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == QStyle::SH_LineEdit_PasswordCharacter) return '*';
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

bool IsLocalServer(const std::string& dbPath) {
    return dbPath.find("127.0.") != std::string::npos;
}

bool IsEnter(const QKeyEvent* event) {
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

}  // namespace

TfmLog::TfmLog(QWidget* parent) : QDialog(parent) {
    setObjectName("fmLog");
    setWindowTitle(FromCp1250(App().appTitle));
    connectDatabase = [] { return DM().BazaConnect(); };
    checkSchema = [](bool testowanieBazy) { AdministratorCheck(DM(), testowanieBazy); };

    auto* about = new QGroupBox(QStringLiteral("Informacja o programie"), this);
    auto* aboutLayout = new QHBoxLayout(about);
    aboutLayout->addWidget(new QLabel(QStringLiteral("Wersja programu:"), about));
    auto* version =
        new QLineEdit(QStringLiteral(" ") + QString::fromLatin1(kProgramVersion), about);
    version->setReadOnly(true);
    version->setFocusPolicy(Qt::NoFocus);
    aboutLayout->addWidget(version);

    user_ = new UpperCaseEdit(this, UpperCaseEdit::Case::Upper);
    user_->setObjectName("lbeUser");
    user_->setMaxLength(kUserMaxLength);
    userLabel_ = new QLabel(QStringLiteral("Użytkownik"), this);
    password_ = new UpperCaseEdit(this, UpperCaseEdit::Case::Lower);
    password_->setObjectName("lbePass");
    password_->setEchoMode(QLineEdit::Password);
    auto* starStyle = new StarPasswordStyle;
    starStyle->setParent(password_);
    password_->setStyle(starStyle);
    passwordLabel_ = new QLabel(QStringLiteral("Hasło"), this);
    test_ = new QCheckBox(QStringLiteral("Testowanie bazy"), this);
    test_->setObjectName("cbTest");

    enter_ = new QPushButton(QStringLiteral("&Wejście"), this);
    enter_->setObjectName("btnPOtw");
    close_ = new QPushButton(QStringLiteral("&Zamknij"), this);
    close_->setObjectName("btnAnuluj");
    for (QPushButton* button : {enter_, close_}) button->setAutoDefault(false);
    // Enter outside the two fields presses "&Wejście" (keyPressEvent).
    enter_->setDefault(true);

    info_ = new QLabel(this);
    info_->setObjectName("lbInfo");
    info_->setAlignment(Qt::AlignCenter);
    info_->setAutoFillBackground(true);
    QFont bold = info_->font();
    bold.setBold(true);
    info_->setFont(bold);
    info_->hide();
    pathLabel_ = new QLabel(QStringLiteral("Ustal poprawną ścieżkę dostępu do bazy danych"), this);
    pathLabel_->setObjectName("lbPth");
    pathLabel_->hide();
    path_ = new QLineEdit(this);
    path_->setObjectName("edPth");
    path_->hide();

    auto* form = new QFormLayout;
    form->addRow(userLabel_, user_);
    form->addRow(passwordLabel_, password_);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(test_);
    buttons->addStretch();
    buttons->addWidget(enter_);
    buttons->addWidget(close_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(about);
    layout->addLayout(form);
    layout->addLayout(buttons);
    layout->addWidget(info_);
    layout->addWidget(pathLabel_);
    layout->addWidget(path_);
    setMinimumWidth(460);

    QObject::connect(enter_, &QPushButton::clicked, this,
                     [this] { RunUiCommand(kLoginCommand, [&] { Enter(); }); });
    QObject::connect(close_, &QPushButton::clicked, this,
                     [this] { RunUiCommand([&] { GiveUp(); }); });
}

void TfmLog::Open() {
    AppState& app = App();
    if (app.quitRequested) {
        finished_ = true;
        reject();
        return;
    }
    user_->setText(FromCp1250(app.dbUser));
    password_->setText(FromCp1250(app.dbPassword));
    path_->setText(FromCp1250(app.dbPath));
    app.localServer = IsLocalServer(app.dbPath);
    test_->setVisible(app.dbUser == kAdministrator);
    ShowCredentials(!app.localServer);
    // With the fields hidden the focus waits on "&Wejście", so Enter logs in.
    if (app.localServer) {
        enter_->setFocus();
    } else {
        user_->setFocus();
    }
}

void TfmLog::ShowCredentials(bool shown) {
    for (QWidget* widget :
         {static_cast<QWidget*>(user_), static_cast<QWidget*>(userLabel_),
          static_cast<QWidget*>(password_), static_cast<QWidget*>(passwordLabel_)}) {
        widget->setVisible(shown);
    }
}

void TfmLog::ShowInfo(const QString& text, const QColor& background) {
    QPalette colours = info_->palette();
    colours.setColor(QPalette::Window, background);
    colours.setColor(QPalette::WindowText, Qt::white);
    info_->setPalette(colours);
    info_->setText(text);
    info_->show();
    info_->repaint();
    repaint();
}

void TfmLog::Enter() {
    AppState& app = App();
    enter_->hide();
    pathLabel_->hide();
    path_->hide();
    ShowInfo(QStringLiteral("Łączenie z bazą ..."), QColor(0, 0, 160));
    WriteWorkLog(Cp1250("Łączenie z bazą ..."));
    CurrentOperator().ProcessPendingMessages();

    app.dbPath = ToCp1250(path_->text());
    app.dbUser = ToCp1250(user_->text());
    app.dbPassword = ToCp1250(password_->text());
    app.localServer = IsLocalServer(app.dbPath);

    {
        BusyCursorScope busy;
        app.connectResult = connectDatabase();
        if (app.connectResult == ConnectResult::Connected && app.dbUser == kAdministrator) {
            // AdministratorCheck writes "Sprawdzanie bazy ..." to the work log.
            ShowInfo(QStringLiteral("Sprawdzanie bazy ..."), QColor(0, 0, 160));
            checkSchema(test_->isVisible() && test_->isChecked());
        }
    }

    switch (app.connectResult) {
        case ConnectResult::Connected:
            info_->hide();
            finished_ = true;
            accept();
            break;
        case ConnectResult::CredentialsRefused:
        case ConnectResult::ConnectionRefused: {
            const std::string refusal = Cp1250("Brak dostępu do bazy (") +
                                        std::to_string(ConnectResultCode(app.connectResult)) + ")";
            ShowInfo(FromCp1250(refusal), QColor(192, 0, 0));
            WriteWorkLog(refusal);
            pathLabel_->show();
            path_->show();
            ShowCredentials(true);
            user_->setFocus();
            break;
        }
        case ConnectResult::NotFinished:
        case ConnectResult::AdministratorSetupFailed:
            app.quitRequested = true;
            finished_ = true;
            reject();
            break;
    }
}

void TfmLog::GiveUp() {
    App().quitRequested = true;
    finished_ = true;
    reject();
}

void TfmLog::UserEntered() {
    // The typed name is taken over only by "&Wejście".
    test_->setVisible(App().dbUser == kAdministrator);
    password_->setFocus();
}

void TfmLog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        RunUiCommand([&] {
            if (path_->isVisible()) {
                path_->hide();
            } else {
                GiveUp();
            }
        });
        return;
    }
    if (event->key() == Qt::Key_F2) {
        RunUiCommand([&] {
            path_->show();
            path_->setFocus();
        });
        return;
    }
    if (IsEnter(event)) {
        if (user_->hasFocus()) {
            RunUiCommand([&] { UserEntered(); });
        } else if (password_->hasFocus() || enter_->isVisible()) {
            // The password field tries again also while "&Wejście" is
            // hidden after a refusal; elsewhere Enter presses the default
            // button.
            RunUiCommand(kLoginCommand, [&] { Enter(); });
        }
        return;
    }
    QDialog::keyPressEvent(event);
}

void TfmLog::closeEvent(QCloseEvent* event) {
    // The title bar's close box gives up like "&Zamknij".
    if (!finished_) App().quitRequested = true;
    finished_ = true;
    QDialog::closeEvent(event);
}

void RunLoginDialog(QWidget* parent) {
    TfmLog dialog(parent);
    dialog.Open();
    if (App().quitRequested) return;
    dialog.exec();
}

}  // namespace rubso
