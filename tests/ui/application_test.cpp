#include "app/ui/rubso_application.h"

#include <gtest/gtest.h>

#include <QDate>
#include <QDateTime>
#include <QEvent>
#include <QObject>
#include <QTime>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

#include "core/clock.h"
#include "core/command_guard.h"
#include "core/work_log.h"
#include "tests/support/recording_operator.h"
#include "tests/support/temp_dir.h"
#include "tests/support/work_log_fixture.h"

namespace rubso {
namespace {

using test::ReadBytes;

// One application object for the whole test program, as in the real one.
class ApplicationEnvironment : public ::testing::Environment {
  public:
    void SetUp() override { app_ = new RubsoApplication(argc_, argv_); }
    void TearDown() override {
        delete app_;
        app_ = nullptr;
    }

  private:
    int argc_ = 1;
    char name_[17] = "application_test";
    char* argv_[2] = {name_, nullptr};
    RubsoApplication* app_ = nullptr;
};

[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

const QEvent::Type kThrowEvent = static_cast<QEvent::Type>(QEvent::User + 1);
const QEvent::Type kCountEvent = static_cast<QEvent::Type>(QEvent::User + 2);

// Throws from its event handler on kThrowEvent; counts kCountEvent.
class ThrowingObject : public QObject {
  public:
    bool event(QEvent* e) override {
        if (e->type() == kThrowEvent) throw std::runtime_error("event handler failed");
        if (e->type() == kCountEvent) {
            ++counted;
            return true;
        }
        return QObject::event(e);
    }
    int counted = 0;
};

class ApplicationTest : public test::WorkLogFixture {
  protected:
    ThrowingObject object_;
};

TEST_F(ApplicationTest, ExceptionFromSentEventIsHandledAndEventReportedUnhandled) {
    SetErrorContext("dm", "WriteParS", "WERSJA");
    QEvent event(kThrowEvent);
    bool handled = true;
    EXPECT_NO_THROW(handled = QCoreApplication::sendEvent(&object_, &event));
    EXPECT_FALSE(handled);
    EXPECT_EQ(
        "[2.18.4] 15.03.2024 14:05:33: FORM :dm WriteParS  WERSJA\r\n"
        "!!!!!!!!!!! event handler failed\r\n",
        Log());
    EXPECT_EQ(std::vector<std::string>{"event handler failed"}, operator_->MessageTexts());
    EXPECT_EQ("", CurrentErrorContext().unit);
}

TEST_F(ApplicationTest, EventLoopGoesOnAfterAHandlerThrows) {
    QCoreApplication::postEvent(&object_, new QEvent(kThrowEvent));
    QCoreApplication::postEvent(&object_, new QEvent(kCountEvent));
    // The loop ends itself once both events above were delivered.
    QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    EXPECT_EQ(0, QCoreApplication::exec());
    EXPECT_EQ(1, object_.counted);
    EXPECT_EQ(1u, operator_->messages.size());
}

TEST_F(ApplicationTest, ThrowDuringEventsProcessedInsideACommandLetsTheCommandFinish) {
    // A command that lets the window repaint: the failing handler is dealt
    // with where it failed and the command itself completes.
    bool finished = false;
    const bool completed = RunCommand([&] {
        QCoreApplication::postEvent(&object_, new QEvent(kThrowEvent));
        QCoreApplication::processEvents();
        finished = true;
    });
    EXPECT_TRUE(completed);
    EXPECT_TRUE(finished);
    EXPECT_EQ(std::vector<std::string>{"event handler failed"}, operator_->MessageTexts());
}

TEST_F(ApplicationTest, OrdinaryEventsAreDeliveredUnchanged) {
    QEvent event(kCountEvent);
    EXPECT_TRUE(QCoreApplication::sendEvent(&object_, &event));
    EXPECT_EQ(1, object_.counted);
    EXPECT_TRUE(operator_->messages.empty());
}

}  // namespace
}  // namespace rubso
