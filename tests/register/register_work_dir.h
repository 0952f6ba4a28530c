#pragma once
// A test fixture that runs each test in a fresh working directory, as the
// program runs in its own: "KONFIG.txt" in place, an "in" directory for input
// files, the simulated registers' memory under "sim/". The substitute library
// is reached only through WinIpLibrary, loaded from the build's program
// directory (RUBSO_WINIP_DIR).

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

#include "register/winip_library.h"
#include "tests/support/temp_dir.h"

namespace rubso::test {

class RegisterWorkDir : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Writes "in/<operation>.in": the header for register `registerNo`, then
    // the records, every line ended by CR LF. Returns the relative path.
    std::string WriteInput(const std::string& operation, const std::vector<std::string>& records,
                           int registerNo = 1);
    // Writes the input file and calls a one-path function; the library's byte.
    std::uint8_t Call(WinIpFunction function, const std::vector<std::string>& records = {},
                      int registerNo = 1);
    // Calls a reading function; its output file's text lands in `output`
    // (empty when no file was left).
    std::uint8_t Read(WinIpFunction function, std::string& output, int registerNo = 1);
    // The output file of a reading function, as the library left it.
    std::string ReadOutput(WinIpFunction function, int registerNo = 1);
    // Runs the kasa-sim tool in the working directory; its exit status.
    int Tool(std::initializer_list<std::string> args);

    TempDir dir_;
    WinIpLibrary library_;
    std::string toolOutput_;
    std::string toolErrors_;

  private:
    std::filesystem::path previousDir_;
};

// Whole-file helpers (bytes, no conversion).
std::string FileText(const std::string& path);
void WriteFile(const std::string& path, const std::string& text);

// A goods record as the program builds it: "$" + code in five digits, the
// name padded to 19, VAT group, "1", "0", unit, "0", bar code in 13 digits,
// price in grosze, "0"; TAB between fields.
std::string GoodsRecord(int code, const std::string& name, int vatGroup = 2, int unit = 1,
                        const std::string& barCode = "", std::int64_t price = 249);
// A goods record from ready field texts, for malformed records.
std::string JoinFields(const std::vector<std::string>& fields);

}  // namespace rubso::test
