// The register library through the bridge under Wine: what the loader
// refuses, a bridge that dies in a call, paths at the buffer's limit and
// outside the code page, and requests the bridge must answer and skip.

#include <gtest/gtest.h>

#include <QProcess>
#include <filesystem>
#include <ostream>
#include <string>

#include "core/codepage.h"
#include "register/bridge/bridge_protocol.h"
#include "tests/register/register_work_dir.h"
#include "tests/register/wine/wine_test_support.h"

namespace rubso {
namespace {

using test::WriteFile;

const std::string kTestLibraries = std::string(RUBSO_WINDOWS_TEST_DIR) + "/";

// A case of the tables below: named, and printed, by `name`.
template <class Case>
std::string CaseName(const ::testing::TestParamInfo<Case>& info) {
    return info.param.name;
}

class Bridge : public test::RegisterWorkDir {
  protected:
    WinIpResult ZTowar() { return library_.Call(WinIpFunction::kZTowar, WriteInput("ZTowar", {})); }
};

struct Refusal {
    const char* name;
    const char* library;  // a test library, or "" for a directory of the test's own
    const char* dll;      // when set, written there as WinIP.dll
    const char* bridge;   // when set, in place of the bridge
    const char* wine;     // when set, in place of Wine
    const char* message;  // how LastError() begins; "@" stands for WinIP.dll's path
};

void PrintTo(const Refusal& value, std::ostream* out) {
    *out << value.name;
}

class BridgeRefusal : public Bridge, public ::testing::WithParamInterface<Refusal> {};

TEST_P(BridgeRefusal, IsTheOperatorsMessageAndNothingIsCalled) {
    const Refusal& c = GetParam();
    WinIpSource source =
        test::WineSource(*c.library ? kTestLibraries + c.library : dir_.Path() + "lib");
    if (c.dll != nullptr) {
        std::filesystem::create_directory(source.directory);
        WriteFile(source.directory + "/WinIP.dll", c.dll);
    }
    if (c.bridge != nullptr) source.bridgePath = c.bridge;
    if (c.wine != nullptr) source.wineCommand = c.wine;
    if (library_.Load(source)) {
        EXPECT_FALSE(ZTowar().Called());
    }
    std::string expected = Cp1250(c.message);
    if (const auto at = expected.find('@'); at != std::string::npos) {
        expected.replace(at, 1, source.directory + "/WinIP.dll");
    }
    EXPECT_EQ(expected, library_.LastError().substr(0, expected.size()));
}

INSTANTIATE_TEST_SUITE_P(
    Wine, BridgeRefusal,
    ::testing::Values(
        Refusal{"NoLibrary", "", nullptr, nullptr, nullptr, "Brak biblioteki kasy @"},
        Refusal{"NoBridge", "ten_functions", nullptr, "/none/b.exe", nullptr,
                "Brak mostka biblioteki kasy /none/b.exe"},
        Refusal{"NoWine", "ten_functions", nullptr, nullptr, "/none/wine",
                "Nie znaleziono programu Wine (/none/wine) - nie można załadować biblioteki "
                "kasy @"},
        Refusal{"NotALibrary", "", "MZ no library", nullptr, nullptr,
                "Nie można załadować biblioteki kasy @ (LoadLibrary: "},
        Refusal{"OneFunctionMissing", "nine_functions", nullptr, nullptr, nullptr,
                "Brak funkcji __KSprOp w bibliotece kasy @"}),
    CaseName<Refusal>);

TEST_F(Bridge, DyingInACallFailsThatCallAndTheNextCallStartsItAgain) {
    ASSERT_TRUE(library_.Load(test::WineSource(kTestLibraries + "ten_functions")));
    ASSERT_TRUE(ZTowar().Succeeded()) << library_.LastError();
    WriteFile("die.txt", "");
    EXPECT_FALSE(ZTowar().Called());
    EXPECT_EQ(Cp1250("Mostek biblioteki kasy przerwał pracę w trakcie funkcji __ZTowar (kod "
                     "zakończenia 5) - wynik nieznany; następne polecenie uruchomi go ponownie"),
              library_.LastError());
    std::filesystem::remove("die.txt");
    EXPECT_TRUE(ZTowar().Succeeded()) << library_.LastError();
}

struct PathCase {
    const char* name;
    std::size_t length;   // of the output path, its directory padded to it
    const char* letters;  // in the directory's name (UTF-8)
    const char* refusal;  // empty: the substitute library writes the file
};

void PrintTo(const PathCase& value, std::ostream* out) {
    *out << value.name;
}

class BridgePath : public Bridge, public ::testing::WithParamInterface<PathCase> {};

TEST_P(BridgePath, ReachesTheLibraryWholeOrIsRefusedWithAMessage) {
    ASSERT_TRUE(library_.Load(test::WineSource(RUBSO_WINDOWS_WINIP_DIR)));
    const std::string file = "/TowarMax.out";
    std::string directory = dir_.Path() + GetParam().letters;
    directory += std::string(GetParam().length - directory.size() - file.size(), 'd');
    std::filesystem::create_directory(directory);
    const std::string output = directory + file;

    const WinIpResult result =
        library_.Call(WinIpFunction::kTowarMax, WriteInput("TowarMax", {}), output);
    if (*GetParam().refusal == '\0') {
        EXPECT_TRUE(result.Succeeded()) << library_.LastError();
        EXPECT_TRUE(std::filesystem::exists(output));
    } else {
        EXPECT_FALSE(result.Called());
        EXPECT_EQ(Cp1250(GetParam().refusal + std::string(" - nie wywołano funkcji __TowarMax: ")) +
                      output,
                  library_.LastError());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Wine, BridgePath,
    ::testing::Values(PathCase{"Of255Characters", 255, "", ""},
                      PathCase{"Of256Characters", 256, "", "Ścieżka pliku dłuższa niż 255 znaków"},
                      PathCase{"WithALetterOfTheCodePage", 120, "Dane-\xC3\xA4", ""},
                      PathCase{"WithALetterOutsideTheCodePage", 120, "Dane-\xCE\xBB",
                               "Ścieżki pliku nie da się zapisać w stronie kodowej Windows"}),
    CaseName<PathCase>);

struct BadRequest {
    const char* name;
    std::string frame;
    std::string answer;  // empty: none, the input ends within the frame
    int exitCode;        // once the input has closed
};

void PrintTo(const BadRequest& value, std::ostream* out) {
    *out << value.name;
}

class BridgeRequest : public Bridge, public ::testing::WithParamInterface<BadRequest> {};

// The bad request, then a good one: the bridge answers both, or ends.
TEST_P(BridgeRequest, IsAnsweredAndSkippedOrEndsTheBridgeCleanly) {
    WriteInput("ZTowar", {});
    QProcess bridge;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("WINEPREFIX", RUBSO_WINE_PREFIX);
    environment.insert("WINEDEBUG", "-all");
    bridge.setProcessEnvironment(environment);
    bridge.start(RUBSO_WINE, {RUBSO_BRIDGE});
    const std::string sent = bridge::OpeningFrame(kTestLibraries + "ten_functions") +
                             GetParam().frame + bridge::RequestFrame(2, "in/ZTowar.in", "");
    bridge.write(sent.data(), static_cast<qint64>(sent.size()));
    bridge.closeWriteChannel();
    ASSERT_TRUE(bridge.waitForFinished(60'000));
    const std::string answers = bridge.readAllStandardOutput().toStdString();
    ASSERT_GE(answers.size(), 8u);
    ASSERT_EQ(std::string("WIPB\x01\x00", 6), answers.substr(0, 6));  // ready
    const auto* length = reinterpret_cast<const unsigned char*>(&answers[6]);
    const std::string expected = GetParam().answer.empty() ? "" : GetParam().answer + '\0' + '\0';
    EXPECT_EQ(expected, answers.substr(8 + bridge::ReadLength(length)));
    EXPECT_EQ(GetParam().exitCode, bridge.exitCode());
}

INSTANTIATE_TEST_SUITE_P(
    Wine, BridgeRequest,
    ::testing::Values(
        BadRequest{"UnknownFunction", bridge::RequestFrame(10, "in/ZTowar.in", ""),
                   std::string("\x01\x00", 2), 0},
        BadRequest{"OutputPathForAOnePathFunction", bridge::RequestFrame(2, "in/ZTowar.in", "x"),
                   std::string("\x01\x00", 2), 0},
        BadRequest{"NoOutputPathForTowarMax", bridge::RequestFrame(6, "in/ZTowar.in", ""),
                   std::string("\x01\x00", 2), 0},
        BadRequest{"PathOf300Characters", bridge::RequestFrame(2, std::string(300, 'p'), ""),
                   std::string("\x02\x01", 2), 0},
        BadRequest{"FrameCutShort", std::string("\x02\xFF\x00in/", 6), "", 1}),
    CaseName<BadRequest>);

}  // namespace
}  // namespace rubso
