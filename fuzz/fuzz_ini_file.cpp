// The settings files: every section and key the reader finds can be read,
// and a write, a key deletion and a section erasure change what they name
// and nothing else the reader sees.

#include <map>
#include <string>
#include <utility>

#include "core/codepage.h"
#include "core/ini_file.h"
#include "fuzz/fuzz_support.h"

using namespace rubso;
using namespace rubso::fuzz;

namespace {

using Values = std::map<std::pair<std::string, std::string>, std::string>;

// Every value, each section and key as listed; with `asNumbers` each value
// is read as every kind of number too. (Each call reads the file again.)
Values ReadAll(const IniFile& ini, bool asNumbers = false) {
    Values values;
    for (const std::string& section : ini.ReadSections()) {
        Expect(ini.SectionExists(section), "a listed section exists");
        for (const std::string& key : ini.ReadSection(section)) {
            Expect(ini.ValueExists(section, key), "a listed key exists");
            values[{section, key}] = ini.ReadString(section, key, "");
            if (!asNumbers) continue;
            ini.ReadInteger(section, key, 0);
            ini.ReadBool(section, key, false);
            ini.ReadFloat(section, key, 0.0);
        }
    }
    return values;
}

// Every value of `before` outside the named section (and key, when given)
// reads the same in `after`.
void ExpectOthersKept(const Values& before, const Values& after, const std::string& section,
                      const std::string* key, const char* promise) {
    for (const auto& [name, value] : before) {
        if (SameTextIgnoringCase(name.first, section) &&
            (key == nullptr || SameTextIgnoringCase(name.second, *key))) {
            continue;
        }
        const auto found = after.find(name);
        Expect(found != after.end() && found->second == value, promise);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    IniFile ini(WriteScratchFile("fuzz.ini", Bytes(data, size)));
    const Values before = ReadAll(ini, true);

    // The first key of the first section, or a new section and key.
    std::string section = "Fuzz";
    std::string key = "Key";
    if (!before.empty()) {
        section = before.begin()->first.first;
        key = before.begin()->first.second;
    }
    const std::string value = "fuzz value";
    Expect(ini.WriteString(section, key, value), "a readable file can be written");
    Expect(ini.ReadString(section, key, "") == value, "a written value reads back");
    const Values written = ReadAll(ini);
    ExpectOthersKept(before, written, section, &key, "a write changes only its key");

    Expect(ini.DeleteKey(section, key), "a key can be deleted");
    Expect(!ini.ValueExists(section, key), "a deleted key is gone");
    ExpectOthersKept(written, ReadAll(ini), section, &key, "a deletion removes only its key");

    const Values kept = ReadAll(ini);
    Expect(ini.EraseSection(section), "a section can be erased");
    Expect(!ini.SectionExists(section), "an erased section is gone");
    ExpectOthersKept(kept, ReadAll(ini), section, nullptr, "an erasure removes only its section");
    return 0;
}
