#include "register/winip_library.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "core/codepage.h"
#include "core/ini_file.h"
#include "tests/register/register_work_dir.h"
#include "tests/support/temp_dir.h"

namespace rubso {
namespace {

using test::GoodsRecord;
using test::RegisterWorkDir;
using test::TempDir;
using test::WriteFile;

std::string LibraryIn(const std::string& directory) {
    return directory + "/" + kWinIpLibraryFileName;
}

// --- Path buffers -----------------------------------------------------------

TEST(ToDriverPath, PathOf255CharactersPassesWholeWithTheZeroByteLast) {
    const std::string path(255, 'p');
    DriverPath buffer;
    buffer.fill('x');
    ASSERT_TRUE(ToDriverPath(path, buffer));
    EXPECT_EQ(path, std::string(buffer.data()));
    EXPECT_EQ('\0', buffer[255]);
}

TEST(ToDriverPath, ShortPathIsFollowedByZerosOnly) {
    DriverPath buffer;
    buffer.fill('x');
    ASSERT_TRUE(ToDriverPath("in/ZTowar.in", buffer));
    EXPECT_EQ("in/ZTowar.in", std::string(buffer.data()));
    EXPECT_EQ(std::string(256 - 12, '\0'), std::string(buffer.data() + 12, 256 - 12));
}

TEST(ToDriverPath, PathOf256CharactersIsRefusedNotCut) {
    DriverPath buffer;
    buffer.fill('x');
    EXPECT_FALSE(ToDriverPath(std::string(256, 'p'), buffer));
    EXPECT_EQ('x', buffer[0]);
}

TEST(ToDriverPath, PathWithAZeroByteIsRefused) {
    DriverPath buffer;
    EXPECT_FALSE(ToDriverPath(std::string("in/a\0b.in", 9), buffer));
}

// --- Loading ----------------------------------------------------------------

TEST(WinIpLibraryLoad, DirectoryWithoutTheLibraryIsAClearErrorAndNothingIsCalled) {
    TempDir dir;
    WinIpLibrary library;
    EXPECT_FALSE(library.Load(dir.Path()));
    EXPECT_FALSE(library.IsLoaded());
    EXPECT_EQ(Cp1250("Brak biblioteki kasy ") + dir.Path() + kWinIpLibraryFileName,
              library.LastError());

    const WinIpResult result = library.Call(WinIpFunction::kZTowar, "in/ZTowar.in");
    EXPECT_FALSE(result.Called());
    EXPECT_EQ(kNotCalledResult, result.Byte());
    EXPECT_FALSE(result.Succeeded());
    EXPECT_EQ(Cp1250("Biblioteka kasy nie jest załadowana - nie wywołano funkcji __ZTowar"),
              library.LastError());
}

TEST(WinIpLibraryLoad, FileThatIsNoLibraryIsRefusedWithoutCrashing) {
    TempDir dir;
    test::WriteFile(dir.File(kWinIpLibraryFileName), "MZ not a library");
    WinIpLibrary library;
    EXPECT_FALSE(library.Load(dir.Path()));
    EXPECT_FALSE(library.IsLoaded());
    const std::string prefix =
        Cp1250("Nie można załadować biblioteki kasy ") + dir.Path() + kWinIpLibraryFileName;
    EXPECT_EQ(prefix, library.LastError().substr(0, prefix.size()));
}

TEST(WinIpLibraryLoad, LibraryLackingOneFunctionIsRefusedNamingIt) {
    TempDir workDir;
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(workDir.Path());
    WinIpLibrary library;
    const bool loaded = library.Load(RUBSO_NINE_FUNCTIONS_DIR);
    const std::string loadError = library.LastError();
    const WinIpResult result = library.Call(WinIpFunction::kZTowar, "in/ZTowar.in");
    const bool anythingCalled = std::filesystem::exists("called.txt");
    std::filesystem::current_path(previous);

    EXPECT_FALSE(loaded);
    EXPECT_FALSE(library.IsLoaded());
    EXPECT_EQ(
        Cp1250("Brak funkcji __KSprOp w bibliotece kasy ") + LibraryIn(RUBSO_NINE_FUNCTIONS_DIR),
        loadError);
    EXPECT_FALSE(result.Called());
    EXPECT_FALSE(anythingCalled);
}

TEST(WinIpLibraryLoad, SubstituteLibraryLoadsFromTheProgramDirectory) {
    WinIpLibrary library;
    ASSERT_TRUE(library.Load(RUBSO_WINIP_DIR)) << library.LastError();
    EXPECT_TRUE(library.IsLoaded());
    EXPECT_EQ(LibraryIn(RUBSO_WINIP_DIR), library.Path());
    EXPECT_EQ("", library.LastError());
}

TEST(WinIpLibraryLoad, FailedReloadLeavesNothingLoaded) {
    TempDir empty;
    WinIpLibrary library;
    ASSERT_TRUE(library.Load(RUBSO_WINIP_DIR));
    EXPECT_FALSE(library.Load(empty.Path()));
    EXPECT_FALSE(library.IsLoaded());
    EXPECT_FALSE(library.Call(WinIpFunction::kKSprOp, "in/KSprOp.in").Called());
}

TEST(WinIpLibraryLoad, UnloadRefusesLaterCalls) {
    WinIpLibrary library;
    ASSERT_TRUE(library.Load(RUBSO_WINIP_DIR));
    library.Unload();
    EXPECT_FALSE(library.IsLoaded());
    EXPECT_FALSE(library.Call(WinIpFunction::kModStart, "in/ModStart.in").Called());
}

// --- The settings that choose the library ----------------------------------------

struct SourceCase {
    const char* name;
    std::vector<std::pair<std::string, std::string>> keys;  // of section "Rubso"
    WinIpSource expected;                                   // "APP/" is the program's directory
};

void PrintTo(const SourceCase& value, std::ostream* out) {
    *out << value.name;
}

class WinIpSourceSettings : public ::testing::TestWithParam<SourceCase> {};

TEST_P(WinIpSourceSettings, NameTheLibraryAndHowItIsReached) {
    TempDir dir;
    IniFile settings(dir.File("RUBSO.INI"));
    for (const auto& [key, value] : GetParam().keys) settings.WriteString("Rubso", key, value);
    EXPECT_EQ(GetParam().expected, WinIpSourceFromSettings(&settings, "APP/"));
}

INSTANTIATE_TEST_SUITE_P(
    Keys, WinIpSourceSettings,
    ::testing::Values(
        SourceCase{"NoneMeanTheSubstituteInProcess", {}, {"APP/", false, "wine", "", ""}},
        SourceCase{"RelativeDllDirectoryWithDefaults",
                   {{"WinIPDll", "winip"}},
                   {"APP/winip", true, "wine", "", "APP/winip-bridge.exe"}},
        SourceCase{"EveryKeySet",
                   {{"WinIPDll", "/opt/kasy"},
                    {"Wine", "/usr/bin/wine-stable"},
                    {"WinePrefix", "/home/sklep/.wine"},
                    {"WinIPBridge", "/opt/rubso/winip-bridge.exe"}},
                   {"/opt/kasy", true, "/usr/bin/wine-stable", "/home/sklep/.wine",
                    "/opt/rubso/winip-bridge.exe"}}),
    [](const ::testing::TestParamInfo<SourceCase>& param) { return param.param.name; });

TEST(WinIpNames, ExportedNamesCarryTwoUnderscoresAndOnlyReadsTakeAnOutput) {
    EXPECT_EQ("__ModStart", WinIpExportName(WinIpFunction::kModStart));
    EXPECT_EQ("__KSprOp", WinIpExportName(WinIpFunction::kKSprOp));
    EXPECT_EQ("OTSpMax", WinIpOperationName(WinIpFunction::kOTSpMax));
    int withOutput = 0;
    for (int i = 0; i < kWinIpFunctionCount; ++i) {
        withOutput += WinIpTakesOutputPath(static_cast<WinIpFunction>(i)) ? 1 : 0;
    }
    EXPECT_EQ(3, withOutput);
    EXPECT_TRUE(WinIpTakesOutputPath(WinIpFunction::kTowarMax));
    EXPECT_TRUE(WinIpTakesOutputPath(WinIpFunction::kOSprzed));
    EXPECT_TRUE(WinIpTakesOutputPath(WinIpFunction::kOTSpMax));
}

// --- Calls ------------------------------------------------------------------

using WinIpLibraryCall = RegisterWorkDir;

TEST_F(WinIpLibraryCall, InputPathOf255CharactersReachesTheLibraryWhole) {
    // "in/" + a directory of 200 characters + "/" + a file name of 51.
    const std::string directory = "in/" + std::string(200, 'd');
    const std::string path = directory + "/" + std::string(48, 'f') + ".in";
    ASSERT_EQ(255u, path.size());
    std::filesystem::create_directories(directory);
    WriteFile(path, "#1\r\n#\r\n#\r\n" + GoodsRecord(12, "Mleko") + "\r\n");

    const WinIpResult result = library_.Call(WinIpFunction::kZTowar, path);
    EXPECT_TRUE(result.Called());
    EXPECT_EQ(0, result.Byte());  // the library found the file: the path arrived whole
}

TEST_F(WinIpLibraryCall, InputPathOf256CharactersIsNotPassed) {
    const std::string directory = "in/" + std::string(200, 'd');
    const std::string path = directory + "/" + std::string(49, 'f') + ".in";
    ASSERT_EQ(256u, path.size());
    std::filesystem::create_directories(directory);
    WriteFile(path, "#1\r\n#\r\n#\r\n" + GoodsRecord(12, "Mleko") + "\r\n");

    const WinIpResult result = library_.Call(WinIpFunction::kZTowar, path);
    EXPECT_FALSE(result.Called());
    EXPECT_EQ(kNotCalledResult, result.Byte());
    EXPECT_EQ(
        Cp1250("Ścieżka pliku dłuższa niż 255 znaków - nie wywołano funkcji __ZTowar: ") + path,
        library_.LastError());
    std::string goods;
    EXPECT_EQ(0, Read(WinIpFunction::kTowarMax, goods));
    EXPECT_EQ(std::string::npos, goods.find("Mleko"));
}

TEST_F(WinIpLibraryCall, OutputPathOf256CharactersIsNotPassed) {
    const std::string input = WriteInput("TowarMax", {});
    const WinIpResult result =
        library_.Call(WinIpFunction::kTowarMax, input, std::string(256, 'o'));
    EXPECT_FALSE(result.Called());
}

TEST_F(WinIpLibraryCall, WrongNumberOfPathsIsRefusedBeforeTheCall) {
    const std::string input = WriteInput("TowarMax", {});
    EXPECT_FALSE(library_.Call(WinIpFunction::kTowarMax, input).Called());
    EXPECT_EQ(Cp1250("Funkcja __TowarMax biblioteki kasy wymaga ścieżki pliku wyjściowego - "
                     "nie wywołano jej"),
              library_.LastError());
    EXPECT_FALSE(library_.Call(WinIpFunction::kZTowar, input, "ZTowar.out").Called());
    EXPECT_FALSE(std::filesystem::exists("ZTowar.out"));
}

TEST_F(WinIpLibraryCall, LibraryByte255IsToldApartFromNoCall) {
    ASSERT_EQ(0, Tool({"fail", "1", "KSprOp", "255"}));
    const WinIpResult result = library_.Call(WinIpFunction::kKSprOp, WriteInput("KSprOp", {}));
    EXPECT_TRUE(result.Called());
    EXPECT_EQ(255, result.Byte());
    EXPECT_FALSE(result.Succeeded());
}

TEST_F(WinIpLibraryCall, SuccessfulCallClearsTheLastRefusal) {
    EXPECT_FALSE(library_.Call(WinIpFunction::kKSprOp, std::string(300, 'x')).Called());
    EXPECT_NE("", library_.LastError());
    EXPECT_TRUE(library_.Call(WinIpFunction::kKSprOp, WriteInput("KSprOp", {})).Succeeded());
    EXPECT_EQ("", library_.LastError());
}

}  // namespace
}  // namespace rubso
