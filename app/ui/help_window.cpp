#include "app/ui/help_window.h"

#include <QKeyEvent>
#include <QPointer>
#include <QTextBrowser>
#include <QUrl>

#include "core/codepage.h"
#include "core/file_utils.h"
#include "core/operator.h"

namespace rubso {
namespace {

// Esc closes the help window (the text view would keep the key to itself).
class EscapeCloses : public QObject {
  public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if ((event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            if (event->type() == QEvent::KeyPress) static_cast<QWidget*>(watched)->close();
            event->accept();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

QPointer<QTextBrowser>& Browser() {
    static QPointer<QTextBrowser> browser;
    return browser;
}

}  // namespace

std::string HelpDirectory(const std::string& appDir) {
    return appDir + "help" + kPathSeparator;
}

std::string HelpTopicFile(const std::string& appDir, int topic) {
    return HelpDirectory(appDir) + (topic == 0 ? std::string("index") : std::to_string(topic)) +
           ".html";
}

bool ShowHelpTopic(QWidget* parent, const std::string& appDir, int topic) {
    const std::string file = HelpTopicFile(appDir, topic);
    if (!FileExists(file)) {
        ShowMessage(Cp1250("Brak pliku z pomocą"));
        return false;
    }
    QPointer<QTextBrowser>& browser = Browser();
    if (!browser) {
        browser = new QTextBrowser(parent);
        browser->setWindowFlag(Qt::Window);
        browser->setAttribute(Qt::WA_DeleteOnClose);
        browser->setObjectName("helpWindow");
        browser->setWindowTitle(QStringLiteral("Pomoc"));
        browser->setOpenLinks(true);
        browser->resize(720, 560);
        browser->installEventFilter(new EscapeCloses(browser));
    }
    browser->setSearchPaths({QString::fromStdString(HelpDirectory(appDir))});
    browser->setSource(QUrl::fromLocalFile(QString::fromStdString(file)));
    browser->show();
    browser->raise();
    return true;
}

QTextBrowser* HelpBrowser() {
    return Browser().data();
}

}  // namespace rubso
