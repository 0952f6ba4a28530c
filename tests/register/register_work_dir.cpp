#include "tests/register/register_work_dir.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "register/sim/sim_tool.h"

namespace rubso::test {

void RegisterWorkDir::SetUp() {
    previousDir_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_.Path());
    ::unsetenv("RUBSO_SIM_STATE");
    std::filesystem::create_directory("in");
    WriteFile("KONFIG.txt", "$1\t1:9600:STX0:1:E\t5\tK10\t\r\n");
    ASSERT_TRUE(library_.Load(RUBSO_WINIP_DIR)) << library_.LastError();
}

void RegisterWorkDir::TearDown() {
    library_.Unload();
    std::filesystem::current_path(previousDir_);
}

std::string RegisterWorkDir::WriteInput(const std::string& operation,
                                        const std::vector<std::string>& records, int registerNo) {
    std::string text = "#" + std::to_string(registerNo) + "\r\n#\r\n#\r\n";
    for (const std::string& record : records) text += record + "\r\n";
    const std::string path = "in/" + operation + ".in";
    WriteFile(path, text);
    return path;
}

std::uint8_t RegisterWorkDir::Call(WinIpFunction function, const std::vector<std::string>& records,
                                   int registerNo) {
    const std::string input =
        WriteInput(std::string(WinIpOperationName(function)), records, registerNo);
    const WinIpResult result = library_.Call(function, input);
    EXPECT_TRUE(result.Called()) << library_.LastError();
    return result.Byte();
}

std::uint8_t RegisterWorkDir::Read(WinIpFunction function, std::string& output, int registerNo) {
    const std::string operation(WinIpOperationName(function));
    const std::string input = WriteInput(operation, {}, registerNo);
    const std::string outputPath = operation + ".out";
    std::filesystem::remove(outputPath);
    const WinIpResult result = library_.Call(function, input, outputPath);
    EXPECT_TRUE(result.Called()) << library_.LastError();
    output = std::filesystem::exists(outputPath) ? FileText(outputPath) : std::string();
    return result.Byte();
}

std::string RegisterWorkDir::ReadOutput(WinIpFunction function, int registerNo) {
    std::string output;
    EXPECT_EQ(0, Read(function, output, registerNo));
    return output;
}

int RegisterWorkDir::Tool(std::initializer_list<std::string> args) {
    std::ostringstream out;
    std::ostringstream err;
    const int status = sim::RunKasaSimTool(args, out, err);
    toolOutput_ = out.str();
    toolErrors_ = err.str();
    return status;
}

std::string FileText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
}

std::string JoinFields(const std::vector<std::string>& fields) {
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) line += (i > 0 ? "\t" : "") + fields[i];
    return line;
}

std::string GoodsRecord(int code, const std::string& name, int vatGroup, int unit,
                        const std::string& barCode, std::int64_t price) {
    std::string codeText = std::to_string(code);
    codeText.insert(0, codeText.size() < 5 ? 5 - codeText.size() : 0, '0');
    std::string paddedName = name.substr(0, 19);
    paddedName.resize(19, ' ');
    std::string bar = barCode;
    bar.insert(0, bar.size() < 13 ? 13 - bar.size() : 0, '0');
    return JoinFields({"$" + codeText, paddedName, std::to_string(vatGroup), "1", "0",
                       std::to_string(unit), "0", bar, std::to_string(price), "0"});
}

}  // namespace rubso::test
