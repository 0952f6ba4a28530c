#include "register/winip_bridge_client.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>

#include "core/codepage.h"
#include "register/bridge/bridge_protocol.h"

namespace rubso {
namespace {

constexpr int kStopWaitMs = 3000;
// Wine's messages kept for a failed start: the last line, shortened.
constexpr qsizetype kLastWordsLength = 200;

QString Local(const std::string& bytes) {
    return QString::fromLocal8Bit(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

QStringList CommandParts(const std::string& command) {
    return QProcess::splitCommand(Local(command));
}

// The last non-empty line Wine wrote on its standard error, for a message.
std::string LastLine(const QByteArray& errors) {
    const QList<QByteArray> lines = errors.split('\n');
    for (auto line = lines.rbegin(); line != lines.rend(); ++line) {
        const QString text = QString::fromLocal8Bit(line->trimmed());
        if (!text.isEmpty()) return ToCp1250(text.left(kLastWordsLength));
    }
    return {};
}

BridgeOutcome Problem(BridgeProblem problem, std::string detail = {}, std::uint8_t value = 0) {
    return BridgeOutcome{problem, value, std::move(detail)};
}

}  // namespace

WinIpBridgeClient::WinIpBridgeClient(WineBridgeSettings settings)
    : settings_(std::move(settings)) {}

WinIpBridgeClient::~WinIpBridgeClient() {
    Stop();
}

bool WinIpBridgeClient::WineFound(const std::string& wineCommand) {
    const QStringList parts = CommandParts(wineCommand);
    if (parts.isEmpty()) return false;
    const QFileInfo given(parts.front());
    if (given.isAbsolute() || parts.front().contains(QLatin1Char('/'))) {
        return given.isFile() && given.isExecutable();
    }
    return !QStandardPaths::findExecutable(parts.front()).isEmpty();
}

bool WinIpBridgeClient::Running() {
    // A bridge that ended since the last wait is seen by the next one.
    if (process_ != nullptr && process_->state() == QProcess::Running) {
        process_->waitForFinished(0);
    }
    return process_ != nullptr && process_->state() == QProcess::Running;
}

std::string WinIpBridgeClient::HowItEnded() {
    if (process_->state() != QProcess::NotRunning) process_->waitForFinished(kStopWaitMs);
    std::string how = process_->exitStatus() == QProcess::CrashExit
                          ? Cp1250("przerwany")
                          : Cp1250("kod zakończenia ") + std::to_string(process_->exitCode());
    const std::string words = LastLine(process_->readAllStandardError());
    return words.empty() ? how : how + ": " + words;
}

bool WinIpBridgeClient::Read(std::string& bytes, std::size_t count, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs < 0 ? QDeadlineTimer(QDeadlineTimer::Forever)
                                                : QDeadlineTimer(timeoutMs));
    const auto enough = [&] {
        return static_cast<std::size_t>(process_->bytesAvailable()) >= count;
    };
    while (!enough()) {
        const qint64 left = deadline.remainingTime();  // -1: no deadline
        if (process_->state() != QProcess::Running || left == 0) return false;
        if (!process_->waitForReadyRead(static_cast<int>(left)) && !enough()) return false;
    }
    bytes = process_->read(static_cast<qint64>(count)).toStdString();
    return true;
}

BridgeOutcome WinIpBridgeClient::Start() {
    if (Running()) return {};
    Stop();
    const QStringList parts = CommandParts(settings_.wineCommand);
    if (parts.isEmpty()) return Problem(BridgeProblem::kWineNotStarted, settings_.wineCommand);

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!settings_.winePrefix.empty()) {
        environment.insert(QStringLiteral("WINEPREFIX"), Local(settings_.winePrefix));
    }
    // Wine's diagnostics would only fill the error channel.
    if (!environment.contains(QStringLiteral("WINEDEBUG"))) {
        environment.insert(QStringLiteral("WINEDEBUG"), QStringLiteral("-all"));
    }
    // The bridge needs neither .NET nor the HTML engine; without this a
    // prefix made at the first start asks to install them.
    if (!environment.contains(QStringLiteral("WINEDLLOVERRIDES"))) {
        environment.insert(QStringLiteral("WINEDLLOVERRIDES"), QStringLiteral("mscoree,mshtml="));
    }

    process_ = std::make_unique<QProcess>();
    process_->setProgram(parts.front());
    process_->setArguments(parts.mid(1) << Local(settings_.bridgePath));
    process_->setProcessEnvironment(environment);
    // Kept apart from the program's own: Wine's background processes keep
    // the channel they inherit open for as long as they run.
    process_->setProcessChannelMode(QProcess::SeparateChannels);
    process_->start(QIODevice::ReadWrite);
    if (!process_->waitForStarted(-1)) {
        process_.reset();
        return Problem(BridgeProblem::kWineNotStarted, settings_.wineCommand);
    }

    const std::string opening = bridge::OpeningFrame(settings_.libraryDirectory);
    process_->write(opening.data(), static_cast<qint64>(opening.size()));
    const int timeoutMs = kBridgeStartSeconds * 1000;
    std::string header;
    std::string text;
    constexpr std::size_t kHeaderSize = sizeof bridge::kMagic + 4;
    if (!Read(header, kHeaderSize, timeoutMs)) {
        const bool ended = process_->state() != QProcess::Running;
        BridgeOutcome outcome = ended ? Problem(BridgeProblem::kEndedAtStart, HowItEnded())
                                      : Problem(BridgeProblem::kNoOpening);
        Stop();
        return outcome;
    }
    const auto* bytes = reinterpret_cast<const unsigned char*>(header.data());
    if (header.compare(0, sizeof bridge::kMagic, bridge::kMagic, sizeof bridge::kMagic) != 0 ||
        bytes[sizeof bridge::kMagic] != bridge::kVersion ||
        !Read(text, bridge::ReadLength(bytes + sizeof bridge::kMagic + 2), timeoutMs)) {
        Stop();
        return Problem(BridgeProblem::kStrangeOpening);
    }
    switch (static_cast<bridge::StartStatus>(bytes[sizeof bridge::kMagic + 1])) {
        case bridge::StartStatus::kReady:
            return {};
        case bridge::StartStatus::kNoLibrary:
            Stop();
            return Problem(BridgeProblem::kNoLibrary, ToCp1250(QString::fromStdString(text)));
        case bridge::StartStatus::kNotLoadable:
            Stop();
            return Problem(BridgeProblem::kNotLoadable, text);
        case bridge::StartStatus::kMissingFunctions:
            Stop();
            return Problem(BridgeProblem::kMissingFunctions, text);
        default:
            Stop();
            return Problem(BridgeProblem::kStrangeOpening);
    }
}

BridgeOutcome WinIpBridgeClient::Call(int function, std::string_view input,
                                      std::string_view output) {
    if (input.size() > bridge::kMaxFieldLength) return Problem(BridgeProblem::kPathTooLong, {}, 1);
    if (output.size() > bridge::kMaxFieldLength) return Problem(BridgeProblem::kPathTooLong, {}, 2);
    if (!Running()) {
        if (BridgeOutcome started = Start(); started.problem != BridgeProblem::kNone) {
            return started;
        }
    }
    const std::string request = bridge::RequestFrame(function, input, output);
    process_->write(request.data(), static_cast<qint64>(request.size()));
    std::string answer;
    // Reading waits for the answer; a request still buffered is sent first.
    if (process_->bytesToWrite() > 0) process_->waitForBytesWritten(-1);
    if (!Read(answer, 2, -1)) {
        BridgeOutcome outcome = Problem(BridgeProblem::kEndedInCall, HowItEnded());
        Stop();
        return outcome;
    }
    // What the library wrote meanwhile is not kept.
    process_->readAllStandardError();
    const auto value = static_cast<std::uint8_t>(answer[1]);
    switch (static_cast<bridge::Answer>(answer[0])) {
        case bridge::Answer::kCalled:
            return Problem(BridgeProblem::kNone, {}, value);
        case bridge::Answer::kPathTooLong:
            return Problem(BridgeProblem::kPathTooLong, {}, value);
        case bridge::Answer::kPathNotEncodable:
            return Problem(BridgeProblem::kPathNotEncodable, {}, value);
        default:
            return Problem(BridgeProblem::kRequestRefused);
    }
}

void WinIpBridgeClient::Stop() {
    if (!process_) return;
    if (process_->state() != QProcess::NotRunning) {
        process_->closeWriteChannel();
        if (!process_->waitForFinished(kStopWaitMs)) {
            process_->kill();
            process_->waitForFinished(kStopWaitMs);
        }
    }
    process_.reset();
}

}  // namespace rubso
