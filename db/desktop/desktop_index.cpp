#include "db/desktop/desktop_index.h"

#include <algorithm>
#include <cstring>

#include "db/desktop/desktop_field.h"

namespace rubso {

DesktopKeyIndex::DesktopKeyIndex(std::vector<Part> parts) : parts_(std::move(parts)) {}

std::string DesktopKeyIndex::KeyOf(const char* record) const {
    std::string key;
    for (const Part& part : parts_) {
        const char* bytes = record + part.offset;
        const auto size = static_cast<std::size_t>(part.size);
        switch (part.form) {
            case Part::Form::Bytes:
                key.append(bytes, size);
                break;
            case Part::Form::Text: {
                const auto* end = static_cast<const char*>(std::memchr(bytes, 0, size));
                const std::size_t length = end == nullptr ? size : std::size_t(end - bytes);
                key.append(bytes, length);
                key.append(size - length, '\0');
                break;
            }
            case Part::Form::Double: {
                const auto value = desktop_codec::GetDouble(bytes);
                if (!value) {
                    key.append(bytes, size);
                    break;
                }
                char normal[8];
                desktop_codec::PutDouble(normal, *value);
                key.append(normal, sizeof normal);
                break;
            }
        }
    }
    return key;
}

std::optional<int> DesktopKeyIndex::First(const std::string& key) const {
    const auto it = rows_.find(key);
    if (it == rows_.end() || it->second.empty()) return std::nullopt;
    return it->second.front();
}

void DesktopKeyIndex::Add(int recno, const char* record) {
    std::vector<int>& rows = rows_[KeyOf(record)];
    rows.insert(std::lower_bound(rows.begin(), rows.end(), recno), recno);
}

void DesktopKeyIndex::Update(int recno, const char* oldRecord, const char* newRecord) {
    const std::string oldKey = KeyOf(oldRecord);
    const std::string newKey = KeyOf(newRecord);
    if (oldKey == newKey) return;
    Remove(recno, oldKey);
    std::vector<int>& rows = rows_[newKey];
    rows.insert(std::lower_bound(rows.begin(), rows.end(), recno), recno);
}

void DesktopKeyIndex::Erase(int recno, const char* record) {
    Remove(recno, KeyOf(record));
    for (auto& entry : rows_) {
        std::vector<int>& rows = entry.second;
        for (auto it = std::upper_bound(rows.begin(), rows.end(), recno); it != rows.end(); ++it) {
            --*it;
        }
    }
}

void DesktopKeyIndex::Remove(int recno, const std::string& key) {
    const auto it = rows_.find(key);
    if (it == rows_.end()) return;
    std::vector<int>& rows = it->second;
    const auto at = std::lower_bound(rows.begin(), rows.end(), recno);
    if (at != rows.end() && *at == recno) rows.erase(at);
    if (rows.empty()) rows_.erase(it);
}

}  // namespace rubso
