// The register library through the bridge under Wine: what the loader
// refuses, a bridge that dies in a call, paths at the buffer's limit and
// outside the code page, and requests the bridge must answer and skip.

#include <gtest/gtest.h>

#include <QProcess>
#include <filesystem>
#include <functional>
#include <ostream>
#include <string>

#include "core/codepage.h"
#include "core/file_utils.h"
#include "register/bridge/bridge_protocol.h"
#include "tests/register/register_work_dir.h"
#include "tests/register/wine/wine_test_support.h"

namespace rubso {
namespace {

using test::WineSource;
using test::WriteFile;

// The cases below are named and printed by their `name`.
template <class Case>
std::string CaseName(const ::testing::TestParamInfo<Case>& info) {
    return info.param.name;
}

const std::string kProbeDir = std::string(RUBSO_WINDOWS_TEST_DIR) + "/probe";

class Bridge : public test::RegisterWorkDir {
  protected:
    void Load(const std::string& directory) {
        ASSERT_TRUE(library_.Load(WineSource(directory))) << library_.LastError();
    }
    WinIpResult ZTowar() { return library_.Call(WinIpFunction::kZTowar, WriteInput("ZTowar", {})); }
};

// --- Refusals ------------------------------------------------------------------

struct Refusal {
    const char* name;
    std::function<void(WinIpSource&, const std::string& dir)> change;
    bool loads;  // refused at the first call, when the bridge has started
    std::function<std::string(const WinIpSource&)> message;
};

std::string DllOf(const WinIpSource& source) {
    return WithTrailingSeparator(source.directory, "/") + "WinIP.dll";
}

void PrintTo(const Refusal& value, std::ostream* out) {
    *out << value.name;
}

class BridgeRefusal : public Bridge, public ::testing::WithParamInterface<Refusal> {};

TEST_P(BridgeRefusal, IsTheOperatorsMessageAndNothingIsCalled) {
    WinIpSource source = WineSource(kProbeDir);
    GetParam().change(source, dir_.Path());
    EXPECT_EQ(GetParam().loads, library_.Load(source));
    if (GetParam().loads) {
        EXPECT_FALSE(ZTowar().Called());
    }
    EXPECT_EQ(GetParam().message(source),
              library_.LastError().substr(0, GetParam().message(source).size()));
}

INSTANTIATE_TEST_SUITE_P(
    Wine, BridgeRefusal,
    ::testing::Values(
        Refusal{"NoLibrary", [](WinIpSource& s, const std::string& dir) { s.directory = dir; },
                false,
                [](const WinIpSource& s) { return Cp1250("Brak biblioteki kasy ") + DllOf(s); }},
        Refusal{"NoBridge",
                [](WinIpSource& s, const std::string& dir) { s.bridgePath = dir + "none.exe"; },
                false,
                [](const WinIpSource& s) {
                    return Cp1250("Brak mostka biblioteki kasy ") + s.bridgePath;
                }},
        Refusal{"NoWine", [](WinIpSource& s, const std::string&) { s.wineCommand = "/none/wine"; },
                false,
                [](const WinIpSource& s) {
                    return Cp1250(
                               "Nie znaleziono programu Wine (/none/wine) - nie można "
                               "załadować biblioteki kasy ") +
                           DllOf(s);
                }},
        Refusal{"NotALibrary",
                [](WinIpSource& s, const std::string& dir) {
                    WriteFile(dir + "WinIP.dll", "MZ not a library");
                    s.directory = dir;
                },
                true,
                [](const WinIpSource& s) {
                    return Cp1250("Nie można załadować biblioteki kasy ") + DllOf(s) +
                           " (LoadLibrary: ";
                }},
        Refusal{"OneFunctionMissing",
                [](WinIpSource& s, const std::string&) {
                    s.directory = std::string(RUBSO_WINDOWS_TEST_DIR) + "/nine_functions";
                },
                true,
                [](const WinIpSource& s) {
                    return Cp1250("Brak funkcji __KSprOp w bibliotece kasy ") + DllOf(s);
                }}),
    CaseName<Refusal>);

// --- A bridge that ends ------------------------------------------------------------

TEST_F(Bridge, DyingInACallFailsThatCallAndTheNextCallStartsItAgain) {
    Load(kProbeDir);
    ASSERT_TRUE(ZTowar().Succeeded()) << library_.LastError();
    WriteFile("die.txt", "");
    EXPECT_FALSE(ZTowar().Called());
    EXPECT_EQ(Cp1250("Mostek biblioteki kasy przerwał pracę w trakcie funkcji __ZTowar (kod "
                     "zakończenia 9) - wynik nieznany; następne polecenie uruchomi go ponownie"),
              library_.LastError());
    std::filesystem::remove("die.txt");
    EXPECT_TRUE(ZTowar().Succeeded()) << library_.LastError();
}

// --- Paths ---------------------------------------------------------------------------

struct PathCase {
    const char* name;
    std::size_t length;   // of the whole path, the directory padded to it
    const char* letters;  // in the directory's name
    const char* refusal;  // empty: the library writes the file there
};

void PrintTo(const PathCase& value, std::ostream* out) {
    *out << value.name;
}

class BridgePath : public Bridge, public ::testing::WithParamInterface<PathCase> {};

TEST_P(BridgePath, ReachesTheLibraryWholeOrIsRefusedWithAMessage) {
    Load(RUBSO_WINDOWS_WINIP_DIR);
    const std::string file = "/TowarMax.out";
    std::string directory = dir_.Path() + GetParam().letters;
    directory += std::string(GetParam().length - directory.size() - file.size(), 'd');
    std::filesystem::create_directory(directory);
    const std::string output = directory + file;
    ASSERT_EQ(GetParam().length, output.size());

    const WinIpResult result =
        library_.Call(WinIpFunction::kTowarMax, WriteInput("TowarMax", {}), output);
    if (*GetParam().refusal == '\0') {
        EXPECT_TRUE(result.Succeeded()) << library_.LastError();
        EXPECT_TRUE(std::filesystem::exists(output));
    } else {
        EXPECT_FALSE(result.Called());
        EXPECT_EQ(Cp1250(GetParam().refusal) + "__TowarMax: " + output, library_.LastError());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Wine, BridgePath,
    ::testing::Values(
        PathCase{"Of255Characters", 255, "", ""},
        PathCase{"Of256Characters", 256, "",
                 "Ścieżka pliku dłuższa niż 255 znaków - nie wywołano funkcji "},
        PathCase{"WithALetterOfTheCodePage", 120, "Dane-\xC3\xA4", ""},
        PathCase{"WithALetterOutsideTheCodePage", 120, "Dane-\xCE\xBB",
                 "Ścieżki pliku nie da się zapisać w stronie kodowej Windows - nie wywołano "
                 "funkcji "}),
    CaseName<PathCase>);

// --- Requests the bridge skips ---------------------------------------------------------------

struct BadRequest {
    const char* name;
    std::string frame;
    std::string answer;  // empty: none, the input ends within the frame
    int exitCode;        // once the input is closed
};

void PrintTo(const BadRequest& value, std::ostream* out) {
    *out << value.name;
}

class BridgeRequest : public Bridge, public ::testing::WithParamInterface<BadRequest> {};

TEST_P(BridgeRequest, IsAnsweredAndSkippedOrEndsTheBridgeCleanly) {
    WriteInput("ZTowar", {});
    QProcess bridge;
    bridge.setProgram(RUBSO_WINE);
    bridge.setArguments({RUBSO_BRIDGE});
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("WINEPREFIX", RUBSO_WINE_PREFIX);
    environment.insert("WINEDEBUG", "-all");
    bridge.setProcessEnvironment(environment);
    bridge.start();
    const std::string good = bridge::RequestFrame(2, "in/ZTowar.in", "");
    const std::string sent = bridge::OpeningFrame(kProbeDir) + GetParam().frame + good;
    bridge.write(sent.data(), static_cast<qint64>(sent.size()));
    bridge.closeWriteChannel();
    ASSERT_TRUE(bridge.waitForFinished(60'000));
    const std::string answers = bridge.readAllStandardOutput().toStdString();
    ASSERT_GE(answers.size(), 8u);
    ASSERT_EQ(std::string("WIPB\x01\x00", 6), answers.substr(0, 6));  // ready
    const std::size_t opening =
        8 + bridge::ReadLength(reinterpret_cast<const unsigned char*>(&answers[6]));
    // The bad request's answer, then the good one's: "called, 0".
    const std::string expected = GetParam().answer.empty() ? "" : GetParam().answer + '\0' + '\0';
    EXPECT_EQ(expected, answers.substr(opening));
    EXPECT_EQ(GetParam().exitCode, bridge.exitCode());
}

std::string Request(int function, const std::string& input, const std::string& output) {
    return bridge::RequestFrame(function, input, output);
}

INSTANTIATE_TEST_SUITE_P(
    Wine, BridgeRequest,
    ::testing::Values(BadRequest{"UnknownFunction", Request(10, "in/ZTowar.in", ""),
                                 std::string("\x01\x00", 2), 0},
                      BadRequest{"OutputPathForAOnePathFunction", Request(2, "in/ZTowar.in", "x"),
                                 std::string("\x01\x00", 2), 0},
                      BadRequest{"NoOutputPathForTowarMax", Request(6, "in/ZTowar.in", ""),
                                 std::string("\x01\x00", 2), 0},
                      BadRequest{"PathOf300Characters", Request(2, std::string(300, 'p'), ""),
                                 std::string("\x02\x01", 2), 0},
                      BadRequest{"FrameCutShort", std::string("\x02\xFF\x00in/", 6), "", 1}),
    CaseName<BadRequest>);

}  // namespace
}  // namespace rubso
